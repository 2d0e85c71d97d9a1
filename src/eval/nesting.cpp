#include "eval/nesting.h"

#include <string>

#include "eval/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// Where the argument of the call that text starts with begins, just past its
// "("; 0 when text does not start with a call.
size_t ArgumentStart(std::string_view text) {
    if (text.empty() || !IsNameStart(text[0]))
        return 0;
    const size_t open = NameEnd(text, 0);
    return MakesCall(text, 0, open) ? open + 1 : 0;
}

}  // namespace

void ThrowNestedTooDeeply() {
    throw Exception("Expression nested too deeply.");
}

// The run at this depth evaluates the first call, whose argument run is one
// level deeper, and so on: the argument of call number levelsLeft + 1 is the
// run that fails. The calls are whole when the innermost one's closing
// parenthesis is followed only by those of the calls around it.
void RejectCallChainPastLimit(std::string_view text) {
    const size_t calls = static_cast<size_t>(kMaxNesting - t_nestingLevel) + 1;
    if (text.size() < 3 * calls)
        return;  // too short to hold that many calls
    size_t open = 0;
    for (size_t found = 0; found < calls; ++found) {
        const size_t start = ArgumentStart(text.substr(open));
        if (start == 0)
            return;
        open += start;
    }
    const size_t close = text.size() - calls;
    if (CallEnd(text, open - 1) != close + 1)
        return;
    if (text.find_first_not_of(')', close) != std::string_view::npos)
        return;
    ThrowNestedTooDeeply();
}

}  // namespace expreval
