#include "eval/whole_value.h"

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

bool IsWholeValueToken(std::string_view text) {
    const char first = text[0];
    if (first == kQuote)
        return StringEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    if (first == '{')
        return ListEnd(text, 0) == text.size() && KeptByRewriteBySkipping(text);
    return IsKeptNumberToken(text);
}

namespace {

bool HasEmptyElement(std::string_view list) {
    for (const std::string_view element : ListElements(list)) {
        if (element.empty())
            return true;
    }
    return false;
}

}  // namespace

bool IsStorableValue(std::string_view text) {
    return IsWholeValue(text) && !(IsList(text) && HasEmptyElement(text));
}

}  // namespace expreval
