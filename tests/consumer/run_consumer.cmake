# Installs the build tree BUILD_DIR into a fresh prefix under WORK_DIR, builds
# the consumer project SOURCE_DIR against that prefix alone and runs it.
# CXX_FLAGS carries flags the installed library needs at link time.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
    if(failed)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "failed (${failed}): ${command}")
    endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed bin/expreval include/expreval/expreval.h include/expreval/exception.h)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "cmake --install did not put ${installed} in place")
    endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)
