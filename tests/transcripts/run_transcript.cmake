# Pipes INPUT through CONSOLE and compares its standard output with EXPECTED
# byte for byte; exits non-zero on any difference or on a non-zero exit code.
get_filename_component(actual_dir ${ACTUAL} DIRECTORY)
file(MAKE_DIRECTORY ${actual_dir})
execute_process(
    COMMAND ${CONSOLE}
    INPUT_FILE ${INPUT}
    OUTPUT_FILE ${ACTUAL}
    RESULT_VARIABLE exit_code)
if(NOT exit_code STREQUAL "0")
    message(FATAL_ERROR "console exited with ${exit_code}")
endif()
execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${ACTUAL}
    RESULT_VARIABLE differs)
if(differs)
    execute_process(COMMAND diff ${EXPECTED} ${ACTUAL})
    message(FATAL_ERROR "output differs from ${EXPECTED}")
endif()
