#include "eval/single_token.h"

#include "value/value.h"

namespace expreval {

namespace {

// Characters that StripWhiteSpace removes or FoldCase changes outside quotes.
bool IsRewritten(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || (ch >= 'A' && ch <= 'Z');
}

// True when no rewritten character stands outside double quotes.
bool KeptByRewrite(std::string_view text) {
    bool inQuotes = false;
    for (const char ch : text) {
        if (ch == kQuote)
            inQuotes = !inQuotes;
        else if (!inQuotes && IsRewritten(ch))
            return false;
    }
    return true;
}

// The number rules of the scan from position `from`: one point, one "e" that
// takes the next character along. The token must end at the end marker; an
// "e" that takes the end marker drops the number. Only the character taken
// after the "e" can be one the rewrite would change.
bool IsWholeNumber(std::string_view text, size_t from) {
    bool pointSeen = false;
    bool exponentSeen = false;
    size_t i = from;
    while (i < text.size()) {
        const char ch = text[i];
        if (IsDigit(ch)) {
            ++i;
        } else if (ch == '.' && !pointSeen) {
            pointSeen = true;
            ++i;
        } else if (ch == 'e' && !exponentSeen && i + 1 < text.size() && !IsRewritten(text[i + 1])) {
            exponentSeen = true;
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

// A backslash takes the next character along; the closing quote must be the
// last character.
bool IsWholeString(std::string_view text) {
    size_t i = 1;
    while (i < text.size() && text[i] != kQuote) {
        i += text[i] == '\\' ? 2 : 1;
    }
    return i == text.size() - 1 && KeptByRewrite(text);
}

// Lower case only: capitals would be folded.
bool IsWholeName(std::string_view text) {
    for (const char ch : text) {
        if (!(ch >= 'a' && ch <= 'z') && !IsDigit(ch))
            return false;
    }
    return true;
}

bool IsWholeValue(std::string_view text) {
    const char first = text[0];
    if (IsDigit(first))
        return IsWholeNumber(text, 1);
    if (first == '-')
        return text.size() > 1 && IsWholeNumber(text, 1);
    if (first == kQuote)
        return IsWholeString(text);
    if (first == '{')
        return text.find('}') == text.size() - 1 && KeptByRewrite(text);
    return false;
}

}  // namespace

SingleToken ClassifySingleToken(std::string_view text) {
    if (text.empty())
        return SingleToken::kNone;
    if (IsLetter(text[0]))
        return IsWholeName(text) ? SingleToken::kName : SingleToken::kNone;
    return IsWholeValue(text) ? SingleToken::kValue : SingleToken::kNone;
}

}  // namespace expreval
