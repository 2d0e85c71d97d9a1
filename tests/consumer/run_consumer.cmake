# Installs the build tree BUILD_DIR into a fresh prefix under WORK_DIR and
# uses it as a host would: the CMake package asked for by version, the
# consumer project SOURCE_DIR built with CMake and with pkg-config, and run.
# SHARED says which kind of library the tree built, and SOVERSION the major
# version a shared one's name ends in; a shared one must export the names of
# exports.txt alone. CXX_FLAGS carries flags the installed library needs at
# link time.
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(libdir ${prefix}/${LIBDIR})
separate_arguments(cxx_flags UNIX_COMMAND "${CXX_FLAGS}")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed)
    if(failed)
        list(JOIN ARGN " " command)
        message(FATAL_ERROR "failed (${failed}): ${command}")
    endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
if(SHARED)
    set(library ${LIBDIR}/libexpreval.so.${SOVERSION})
else()
    set(library ${LIBDIR}/libexpreval.a)
endif()
foreach(installed bin/expreval include/expreval/expreval.h include/expreval/version.h
        ${library} ${LIBDIR}/pkgconfig/expreval.pc)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "cmake --install did not put ${installed} in place")
    endif()
endforeach()

# A 2.1 package serves a host written for 2.0 or 2.1 and refuses one that
# needs 2.2 or was written for 1.x, whose binary interface it does not keep.
set(requests 2.0 2.1 2.2 1.0 1.1)
set(acceptances TRUE TRUE FALSE FALSE FALSE)
foreach(request accepted IN ZIP_LISTS requests acceptances)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/version_probe -B ${WORK_DIR}/probe-${request}
            -DREQUEST=${request} -DPREFIX=${prefix}
        RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(accepted AND failed)
        message(FATAL_ERROR "the package refused a request for ${request}:\n${output}")
    endif()
    if(NOT accepted AND NOT output MATCHES "compatible with requested version")
        message(FATAL_ERROR "the package did not refuse a request for ${request}:\n${output}")
    endif()
endforeach()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    "-DCMAKE_EXE_LINKER_FLAGS=${CXX_FLAGS}"
    -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_FIND_USE_SYSTEM_PACKAGE_REGISTRY=OFF)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/consumer)

# The same program built from the flags pkg-config gives; the run path lets
# it find a shared library outside the loader's directories.
set(ENV{PKG_CONFIG_LIBDIR} ${libdir}/pkgconfig)
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs expreval
    OUTPUT_VARIABLE pkg_flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${PKG_CONFIG} --modversion expreval
    OUTPUT_VARIABLE pkg_version OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
separate_arguments(pkg_flags UNIX_COMMAND "${pkg_flags}")
run(${CXX_COMPILER} -std=c++17 ${cxx_flags} "-DEXPECTED_VERSION=\"${pkg_version}\""
    ${SOURCE_DIR}/main.cpp ${pkg_flags} -Wl,-rpath,${libdir} -o ${WORK_DIR}/consumer_pkgconfig)
run(${WORK_DIR}/consumer_pkgconfig)

if(SHARED)
    execute_process(COMMAND ${NM} -DC --defined-only ${prefix}/${library}
        OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    # Lines "address type name(parameters)" become names.
    string(REGEX REPLACE "[^\n]* [A-Za-z] ([^\n(]*)[^\n]*" "\\1" exported "${symbols}")
    string(REPLACE "\n" ";" exported "${exported}")
    list(REMOVE_ITEM exported "")
    file(STRINGS ${SOURCE_DIR}/exports.txt expected REGEX "^[^#]")
    set(unexpected ${exported})
    list(REMOVE_ITEM unexpected ${expected})
    set(missing ${expected})
    list(REMOVE_ITEM missing ${exported})
    if(unexpected OR missing)
        list(JOIN unexpected ", " unexpected)
        list(JOIN missing ", " missing)
        message(FATAL_ERROR "the shared library exports names that exports.txt lacks: "
            "[${unexpected}], and lacks names it lists: [${missing}]")
    endif()
endif()
