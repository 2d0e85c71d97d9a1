#include "eval/single_token.h"

#include "eval/tokenizer.h"
#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// A name that is a function, its parenthesis and everything up to the one
// that closes it: the scanner's call token, here ending the text.
bool IsWholeCall(const Context& context, std::string_view text, size_t nameEnd) {
    return MakesCall(context, text, 0, nameEnd) && CallEnd(text, nameEnd) == text.size() &&
           KeptByRewriteBySkipping(text);
}

// Only a name that the rewrite keeps can be whole: any capital in it would
// be folded.
SingleToken ClassifyName(const Context& context, std::string_view text) {
    const size_t end = KeptNameEnd(text, 0);
    if (end == text.size())
        return SingleToken::kName;
    return IsWholeCall(context, text, end) ? SingleToken::kCall : SingleToken::kNone;
}

}  // namespace

SingleToken ClassifySingleToken(const Context& context, std::string_view text) {
    if (text.empty())
        return SingleToken::kNone;
    if (IsNameStart(text[0]))
        return ClassifyName(context, text);
    return IsWholeValue(text) ? SingleToken::kValue : SingleToken::kNone;
}

bool IsWholeValue(std::string_view text) {
    if (text.empty() || IsNameStart(text[0]))
        return false;
    const char first = text[0];
    if (first == kQuote)
        return StringEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    if (first == '{')
        return ListEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    return IsKeptNumberToken(text);
}

}  // namespace expreval
