# The console's own library, kept out of the installed one: the dialogue, the
# command line's quiet answers and files, and line editing for a person at a
# terminal. libedit is optional: without it the console reads plain lines, as
# it always does when its input is piped.
option(EXPREVAL_LINE_EDITING "Edit lines with libedit when both standard streams are terminals" ON)

add_library(expreval_terminal STATIC
    src/console/line_source.cpp
    src/console/console.cpp
    src/console/completion.cpp
    src/console/memory_ceiling.cpp
    src/console/quiet.cpp
    src/console/batch.cpp
    src/console/history.cpp
    src/console/pipe_output.cpp)
target_link_libraries(expreval_terminal PUBLIC expreval_core)

set(EXPREVAL_HAVE_LIBEDIT OFF)
if(EXPREVAL_LINE_EDITING)
    find_path(LIBEDIT_INCLUDE_DIR histedit.h)
    find_library(LIBEDIT_LIBRARY edit)
    if(LIBEDIT_INCLUDE_DIR AND LIBEDIT_LIBRARY)
        set(EXPREVAL_HAVE_LIBEDIT ON)
    else()
        message(STATUS "libedit not found (Debian package libedit-dev): no line editing")
    endif()
endif()

if(EXPREVAL_HAVE_LIBEDIT)
    target_sources(expreval_terminal PRIVATE
        src/console/line_editor.cpp
        src/console/terminal_console.cpp)
    target_include_directories(expreval_terminal SYSTEM PRIVATE ${LIBEDIT_INCLUDE_DIR})
    target_link_libraries(expreval_terminal PRIVATE ${LIBEDIT_LIBRARY})
    target_compile_definitions(expreval_terminal PUBLIC EXPREVAL_HAVE_LIBEDIT)
endif()
