// Tab completion of the names a person may type: the built-in functions and
// the variables defined so far.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace expreval {

struct Completion {
    // Text to insert at the cursor: the rest of the only match, or the part
    // that all matches share beyond what was typed.
    std::string insertion;
    // Every match in full, sorted; a function's ends in "(".
    std::vector<std::string> candidates;
};

// Completes the name that ends at the cursor. beforeCursor is the line up to
// the cursor. Inside a quoted string nothing is offered. Reads g_functions
// and the current session's functions and variables (or g_variables).
Completion CompleteName(std::string_view beforeCursor);

}  // namespace expreval
