# libexpreval, the library a host links: static, or shared with
# -DBUILD_SHARED_LIBS=ON. It is made of the objects expreval_core is made of
# and offers the headers of include/ alone, with the version header that
# configure writes.
configure_file(include/expreval/version.h.in ${PROJECT_BINARY_DIR}/include/expreval/version.h
    @ONLY)

add_library(expreval_library $<TARGET_OBJECTS:expreval_objects>)
add_library(expreval::expreval ALIAS expreval_library)
# The console executable keeps the name expreval; the soname follows the major
# version, the one a host's binaries depend on.
set_target_properties(expreval_library PROPERTIES
    OUTPUT_NAME expreval
    EXPORT_NAME expreval
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
target_include_directories(expreval_library PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)

# Hidden visibility keeps the internal routines out of the shared library's
# symbol table, but not the standard library templates they instantiate: the
# version script keeps those local too, so that only expreval's own
# exported names remain.
if(BUILD_SHARED_LIBS)
    set(exports_map ${CMAKE_CURRENT_LIST_DIR}/exports.map)
    target_link_options(expreval_library PRIVATE -Wl,--version-script=${exports_map})
    set_target_properties(expreval_library PROPERTIES LINK_DEPENDS ${exports_map})
endif()
