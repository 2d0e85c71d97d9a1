// Recognises texts that are exactly one value token, which evaluates to
// itself: what a host may store as a value.
#pragma once

#include <string_view>

#include "value/lexicon.h"

namespace expreval {

// IsWholeValue for a text that does not start with a letter.
bool IsWholeValueToken(std::string_view text);

// True when text is one number, string or list token that the rewrite keeps
// (no white space, no capital letter outside quotes) and that the scan reads
// as one operand ending at the very end of the text. Inline: most lines
// start with a name.
inline bool IsWholeValue(std::string_view text) {
    return !text.empty() && !IsNameStart(text[0]) && IsWholeValueToken(text);
}

// True when text is one value as evaluation writes it: a number, a string
// in quotes or a list in braces, that evaluates to itself. What a host
// stores must be one, since operands are evaluated again where they are
// used. A list with an empty element ("{1,,2}", "{,}", "{}") is not:
// evaluating the empty element fails wherever the list is used element by
// element.
bool IsStorableValue(std::string_view text);

}  // namespace expreval
