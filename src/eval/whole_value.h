// Recognises texts that are exactly one value token, which evaluates to
// itself: what a host may store as a value.
#pragma once

#include <string_view>

namespace expreval {

// True when text is one number, string or list token that the rewrite keeps
// (no white space, no capital letter outside quotes) and that the scan reads
// as one operand ending at the very end of the text.
bool IsWholeValue(std::string_view text);

}  // namespace expreval
