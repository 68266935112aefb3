# cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P Compress.cmake
# Compresses a file as Debian keeps manual pages and changelogs: gzip -9,
# without name or time stamp, so the same input always gives the same bytes.
execute_process(COMMAND gzip -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip failed on ${INPUT}: ${status}")
endif()
