# Runs the sample on a formula file and compares what it prints with the
# expected text.  The version line is checked for its fixed beginning only,
# since the rest of the version text is free.
#
#   cmake -DSAMPLE=<program> -DFORMULAS=<file> -DEXPECTED=<file> -P check_sample.cmake
execute_process(COMMAND ${SAMPLE} ${FORMULAS}
                OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the sample exited with ${status}\n${errors}\n${output}")
endif()

set(version_prefix "version: TAMRIX32W.DLL V9.0 正式版")
string(FIND "${output}" "\n" first_line_end)
string(SUBSTRING "${output}" 0 ${first_line_end} version_line)
string(FIND "${version_line}" "${version_prefix}" prefix_at)
if(NOT prefix_at EQUAL 0)
  message(FATAL_ERROR "the version line does not begin with \"${version_prefix}\": ${version_line}")
endif()

math(EXPR rest_begin "${first_line_end} + 1")
string(SUBSTRING "${output}" ${rest_begin} -1 results)
file(READ ${EXPECTED} expected)
if(NOT results STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${results}")
  message(FATAL_ERROR "the sample's output differs from ${EXPECTED}; it is in "
                      "${CMAKE_CURRENT_BINARY_DIR}/${name}.actual:\n${results}")
endif()
