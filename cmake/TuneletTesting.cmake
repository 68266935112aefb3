# tunelet_add_qtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Builds one Qt Test executable and registers it with CTest. Widgets run on the
# offscreen platform so the suite needs no display.
function(tunelet_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # Each test gets its own runtime folder, so the windows its players publish
  # are never seen by another test running at the same time (nor by a real
  # Tunelet of the user's).
  set(runtime_dir ${CMAKE_BINARY_DIR}/test-runtime/${name})
  file(MAKE_DIRECTORY ${runtime_dir})
  file(CHMOD ${runtime_dir} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;XDG_RUNTIME_DIR=${runtime_dir};TUNELET_BIN_DIR=${CMAKE_BINARY_DIR}/bin;TUNELET_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(ARG_LABELS)
    set_property(TEST ${name} PROPERTY LABELS ${ARG_LABELS})
  endif()
endfunction()
