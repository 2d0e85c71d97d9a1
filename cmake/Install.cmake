# cmake --install puts the console, the library with its public headers, a
# CMake package and a pkg-config file in place, so that another project can
# say find_package(expreval 2.0 CONFIG REQUIRED) and link expreval::expreval,
# or build with pkg-config --cflags --libs expreval.
include(CMakePackageConfigHelpers)

set(EXPREVAL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/expreval)
set(EXPREVAL_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS expreval RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/expreval.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(TARGETS expreval_library EXPORT expreval-targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/expreval DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/expreval/version.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/expreval)
install(EXPORT expreval-targets
    NAMESPACE expreval::
    DESTINATION ${EXPREVAL_PACKAGE_DIR})

# A package satisfies a request of its own major version up to its own
# version, and refuses any other major version: 2.0 broke the binary
# interface of 1.x (Exception became a std::exception), so a 1.x request is
# not met by it.
configure_package_config_file(cmake/expreval-config.cmake.in
    ${PROJECT_BINARY_DIR}/expreval-config.cmake
    INSTALL_DESTINATION ${EXPREVAL_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/expreval-config-version.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/expreval-config.cmake
    ${PROJECT_BINARY_DIR}/expreval-config-version.cmake
    DESTINATION ${EXPREVAL_PACKAGE_DIR})

# The pkg-config file finds the prefix from its own place, so that it stays
# right wherever cmake --install --prefix puts the tree.
file(RELATIVE_PATH EXPREVAL_PKGCONFIG_TO_PREFIX /${EXPREVAL_PKGCONFIG_DIR} /)
string(REGEX REPLACE "/$" "" EXPREVAL_PKGCONFIG_TO_PREFIX ${EXPREVAL_PKGCONFIG_TO_PREFIX})
configure_file(cmake/expreval.pc.in ${PROJECT_BINARY_DIR}/expreval.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/expreval.pc DESTINATION ${EXPREVAL_PKGCONFIG_DIR})
