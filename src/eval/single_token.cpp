#include "eval/single_token.h"

#include "eval/tokenizer.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// A name that is a function, its parenthesis and everything up to the one
// that closes it: the scanner's call token, here ending the text.
bool IsWholeCall(std::string_view text, size_t nameEnd) {
    return MakesCall(text, 0, nameEnd) && CallEnd(text, nameEnd) == text.size() &&
           KeptByRewriteBySkipping(text);
}

// Only a name that the rewrite keeps can be whole: any capital in it would
// be folded.
SingleToken ClassifyName(std::string_view text) {
    const size_t end = KeptNameEnd(text, 0);
    if (end == text.size())
        return SingleToken::kName;
    return IsWholeCall(text, end) ? SingleToken::kCall : SingleToken::kNone;
}

bool IsWholeValue(std::string_view text) {
    const char first = text[0];
    if (first == kQuote)
        return StringEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    if (first == '{')
        return ListEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    return IsKeptNumberToken(text);
}

}  // namespace

SingleToken ClassifySingleToken(std::string_view text) {
    if (text.empty())
        return SingleToken::kNone;
    if (IsNameStart(text[0]))
        return ClassifyName(text);
    return IsWholeValue(text) ? SingleToken::kValue : SingleToken::kNone;
}

}  // namespace expreval
