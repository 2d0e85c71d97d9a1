# cmake --install puts the console, the library with its public headers and a
# package configuration in place, so that another project can say
# find_package(expreval CONFIG REQUIRED) and link expreval::expreval.
include(CMakePackageConfigHelpers)

set(EXPREVAL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/expreval)

install(TARGETS expreval RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/expreval.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(TARGETS expreval_core EXPORT expreval-targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/expreval DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT expreval-targets
    NAMESPACE expreval::
    DESTINATION ${EXPREVAL_PACKAGE_DIR})

configure_package_config_file(cmake/expreval-config.cmake.in
    ${PROJECT_BINARY_DIR}/expreval-config.cmake
    INSTALL_DESTINATION ${EXPREVAL_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/expreval-config-version.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/expreval-config.cmake
    ${PROJECT_BINARY_DIR}/expreval-config-version.cmake
    DESTINATION ${EXPREVAL_PACKAGE_DIR})
