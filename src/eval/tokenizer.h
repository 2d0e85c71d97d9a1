// The scanning half of Evaluate: cuts a rewritten expression into tokens and
// hands each one over the moment it is complete.
#pragma once

#include <string>
#include <string_view>

#include "eval/context.h"

namespace expreval {

// What an operand token is, as the scan found it.
enum class TokenKind : unsigned char { kNumber, kString, kList, kName, kCall };

// Receives the scan's events in source order.
class TokenEvents {
  public:
    virtual void Operand(std::string_view text, TokenKind kind) = 0;
    virtual void OperatorToken(std::string_view symbol) = 0;
    virtual void OpenGroup() = 0;
    virtual void CloseGroup() = 0;

  protected:
    ~TokenEvents() = default;
};

// A name directly followed by "(" makes a call when it names a function;
// any other name before "(" is a variable times a group.
inline bool MakesCall(const Context& context, std::string_view text, size_t nameStart,
                      size_t nameEnd) {
    return nameEnd < text.size() && text[nameEnd] == '(' &&
           FindFunction(context, text.substr(nameStart, nameEnd - nameStart)) != nullptr;
}

// Scans text, already stripped of white space and case-folded, inserting the
// implied "*" between adjacent operands. Throws Exception on a lone minus sign
// or an unclosed call.
void Scan(Context& context, std::string_view text, TokenEvents& events);

}  // namespace expreval
