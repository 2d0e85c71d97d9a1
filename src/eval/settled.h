// Settled texts: values known to evaluate to themselves, so that a join can
// take one over and extend it instead of evaluating (copying and rescanning)
// it again. How the evaluator tells a handler which operands are settled,
// and how the handler tells it that its result is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "eval/lexicon.h"
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

// --- How operands and results travel between the evaluator's reduction and
// the handler it calls. The reduction fills in the operands, calls the
// handler and clears them again; a handler that takes an operand over clears
// it first, so a note never outlives the stack entries it points to.

// One operand as it stands on the stack: its text, and the stack's own
// string when the entry holds a result. A scanned token has none: it is a
// view of the text the run scans, which no handler may change.
struct StackedOperand {
    std::string_view text;
    std::string* owner = nullptr;
    Settled form = Settled::kUnknown;
};

struct SettledOperands {
    StackedOperand left;
    StackedOperand right;
};
constinit inline thread_local SettledOperands t_settledOperands{};

// The very text b stands for, not merely the same bytes: operands are known
// by where they stand. No text is the one of an empty note.
inline bool SameText(std::string_view a, std::string_view b) {
    return a.data() == b.data() && a.size() == b.size() && b.data() != nullptr;
}

// A result's form, named by the operands it was made from: the reduction
// believes it only for its own two operands.
struct SettledResult {
    std::string_view left;
    std::string_view right;
    Settled form = Settled::kUnknown;
};
constinit inline thread_local SettledResult t_settledResult{};

}  // namespace expreval
