# tunelet_add_fuzzer(<area> SOURCES <files...> LIBS <targets...>)
# Builds the libFuzzer target fuzz_<area> (clang only). Its seed corpus lives in
# fuzz/<area>/corpus; scripts/fuzz.sh runs it.
function(tunelet_add_fuzzer area)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(STATUS "fuzz_${area} needs clang; skipped")
    return()
  endif()
  add_executable(fuzz_${area} ${ARG_SOURCES})
  target_compile_options(fuzz_${area} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${area} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${area} PRIVATE ${ARG_LIBS})
endfunction()
