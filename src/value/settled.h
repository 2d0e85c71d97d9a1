// Settled texts: values known to evaluate to themselves, so that a join can
// take one over and extend it instead of evaluating (copying and rescanning)
// it again. The evaluator tells a handler which of its operands are settled,
// and the handler tells it whether its result is, through the operands
// (symbols/records.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

// What is known of a text. Anything but kUnknown promises that the text is
// one value token the rewrite keeps, which evaluates to itself:
//   kString: a quote, then no quote and no backslash, then a quote;
//   kList: "{", then no "}" and an even number of quotes, nothing the
//     rewrite would change, then "}";
//   kNumber, kPointNumber: a number token without "e" or "#", and with no
//     point or with one.
// Each form stays settled when another of the same form is appended as the
// join appends it, so a join learns its result's form from the appended part
// alone. A list holding a list, a string with an inner quote, -5-3 and 1.#INF
// are none of them, and are evaluated again as any other text.
enum class Settled : std::uint8_t { kUnknown, kString, kList, kNumber, kPointNumber };

constexpr bool IsNumberForm(Settled form) {
    return form == Settled::kNumber || form == Settled::kPointNumber;
}

// The content of a string that keeps it settled: no quote, no backslash.
inline bool IsSettledStringContent(std::string_view content) {
    for (const char ch : content) {
        if (ch == kQuote || ch == '\\')
            return false;
    }
    return true;
}

// The content of a list that keeps it settled.
inline bool IsSettledListContent(std::string_view content) {
    size_t quotes = 0;
    for (const char ch : content) {
        if (ch == '}')
            return false;
        if (ch == kQuote)
            ++quotes;
    }
    return quotes % 2 == 0 && KeptByRewrite(content);
}

// Digits with at most one point, the point counted from pointSeen on.
inline bool IsSettledNumberPart(std::string_view part, bool& pointSeen) {
    for (const char ch : part) {
        if (ch == '.' && !pointSeen)
            pointSeen = true;
        else if (!IsDigit(ch))
            return false;
    }
    return true;
}

// A number joined by "." as its digits: of its points only the first of
// the whole text is kept (pointSeen tells whether one came before), as the
// join drops the second at each join in turn.
inline void AppendNumberDigits(std::string& text, std::string_view digits, bool& pointSeen) {
    size_t from = 0;
    for (size_t at = digits.find('.'); at != std::string_view::npos; at = digits.find('.', from)) {
        text.append(digits.substr(from, at - from));
        if (!pointSeen)
            text.push_back('.');
        pointSeen = true;
        from = at + 1;
    }
    text.append(digits.substr(from));
}

// The plain rule, for a whole text.
inline Settled ClassifySettled(std::string_view text) {
    if (text.size() >= 2 && text.front() == kQuote && text.back() == kQuote)
        return IsSettledStringContent(text.substr(1, text.size() - 2)) ? Settled::kString
                                                                       : Settled::kUnknown;
    if (text.size() >= 2 && text.front() == '{' && text.back() == '}')
        return IsSettledListContent(text.substr(1, text.size() - 2)) ? Settled::kList
                                                                     : Settled::kUnknown;
    if (!IsKeptNumberToken(text))
        return Settled::kUnknown;
    bool point = false;
    if (!IsSettledNumberPart(text.substr(text[0] == '-' ? 1 : 0), point))
        return Settled::kUnknown;
    return point ? Settled::kPointNumber : Settled::kNumber;
}

}  // namespace expreval
