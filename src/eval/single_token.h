// Recognises expression texts that are exactly one operand token, so that
// Evaluate can take them without a full run.
#pragma once

#include <string_view>

#include "eval/context.h"

namespace expreval {

enum class SingleToken {
    kNone,   // anything else: it needs the full rewrite, scan and evaluation
    kValue,  // a number, string or list token that evaluates to itself
    kName,   // a name token that evaluates to its variable's value
    kCall,   // a call token that evaluates to its function's result
};

// Only texts that the rewriting leaves unchanged (no white space, no capital
// letter) and that the scan reads as one operand ending at the very end of
// the text qualify.
SingleToken ClassifySingleToken(const Context& context, std::string_view text);

// True when text is one number, string or list token that the rewrite keeps,
// which evaluates to itself.
bool IsWholeValue(std::string_view text);

}  // namespace expreval
