# Runs PROGRAM on INPUT; its standard output must equal EXPECTED.
execute_process(COMMAND ${PROGRAM} ${INPUT} OUTPUT_VARIABLE actual RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${PROGRAM} failed (${failed}):\n${actual}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "output differs from ${EXPECTED}:\n${actual}")
endif()
