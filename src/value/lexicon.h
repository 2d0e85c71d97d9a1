// The scanning rules: which characters the rewrite touches, what a number,
// name, string, list, call and operator token covers, and where an operand
// implies a "*". The tokenizer reads expression text by them; the final
// resolution on the reference road, the plain-number reader and the checks
// of a host's names and values use them too. Two readers walk text in their
// own way, on these rules: the memo of a long line (eval/line_memo.h), which
// finds where its groups close in one pass, and the completion's search
// back for the name being typed (session/values.cpp). A faster form of a
// rule stands beside the plain one, and lexicon_test holds the two equal.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "value/value.h"

namespace expreval {

inline constexpr size_t kNoToken = std::string_view::npos;

// What an operand token is, as the scan finds it.
enum class TokenKind : unsigned char { kNumber, kString, kList, kName, kCall };

// --- The rewrite: white space is removed and capitals folded outside quotes.

constexpr bool IsWhiteSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}
constexpr bool IsCapital(char ch) {
    return ch >= 'A' && ch <= 'Z';
}
constexpr bool IsRewritten(char ch) {
    return IsWhiteSpace(ch) || IsCapital(ch);
}
// A quote changes what the rewrite does to the characters after it.
constexpr bool AffectsRewrite(char ch) {
    return IsRewritten(ch) || ch == kQuote;
}

// The first position from which the rewrite may change anything: the first
// character that affects it, or the size.
inline size_t FirstAffectingRewrite(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && !AffectsRewrite(text[i]))
        ++i;
    return i;
}

// True when one of eight bytes may affect the rewrite: the standard tests for
// a byte below 0x21 (white space among them), equal to 0x22 (the quote) and
// from 0x41 to 0x5A (capitals), each exact in whether any byte qualifies.
// Bytes below 0x21 that are not white space pass too; the caller then looks
// at them one by one.
constexpr bool WordMayAffectRewrite(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t belowBang = (word - kOnes * 0x21) & ~word & kHigh;
    const std::uint64_t quotes = word ^ (kOnes * static_cast<unsigned char>(kQuote));
    const std::uint64_t isQuote = (quotes - kOnes) & ~quotes & kHigh;
    const std::uint64_t low7 = word & kLow7;
    const std::uint64_t isCapital =
        (kOnes * (127 + 'Z' + 1) - low7) & ~word & (low7 + kOnes * (127 - ('A' - 1))) & kHigh;
    return (belowBang | isQuote | isCapital) != 0;
}

// FirstAffectingRewrite, passing eight bytes at a time over stretches that
// hold no candidate: long lines mostly need no rewrite.
inline size_t FirstAffectingRewriteByWords(std::string_view text) {
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (std::uint64_t word; i + 8 <= text.size(); i += 8) {
            std::memcpy(&word, text.data() + i, 8);
            if (WordMayAffectRewrite(word))
                break;
        }
    }
    return i + FirstAffectingRewrite(text.substr(i));
}

// True when the rewrite leaves text as it is: nothing rewritten outside
// quotes.
inline bool KeptByRewrite(std::string_view text) {
    bool inQuotes = false;
    for (const char ch : text) {
        if (ch == kQuote)
            inQuotes = !inQuotes;
        else if (!inQuotes && IsRewritten(ch))
            return false;
    }
    return true;
}

// KeptByRewrite, passing stretches outside quotes eight bytes at a time and
// strings at memchr's pace: a long string would otherwise cost a copy and a
// rewrite at every level of nesting around it.
inline bool KeptByRewriteBySkipping(std::string_view text) {
    for (size_t i = FirstAffectingRewriteByWords(text); i < text.size();) {
        if (text[i] != kQuote)
            return false;
        const size_t close = text.find(kQuote, i + 1);
        if (close == std::string_view::npos)
            return true;
        i = close + 1 + FirstAffectingRewriteByWords(text.substr(close + 1));
    }
    return true;
}

// --- Tokens, in a rewritten text. Each End routine takes the position where
// the token starts and returns the position just past it.

// A number starts with a digit, or with "-" where an operand is expected.
constexpr bool StartsNumber(char ch, bool operandExpected) {
    return IsDigit(ch) || (ch == '-' && operandExpected);
}

// Within a number: digits, at most one point, and at most one "e", which
// takes the character after it along, whatever it is.
struct NumberRule {
    bool pointSeen = false;
    bool exponentSeen = false;

    // How many characters from ch on the number takes: 1, 2 for an "e" and
    // the character after it, or 0 where the number ends before ch.
    constexpr int Takes(char ch) {
        if (IsDigit(ch))
            return 1;
        if (ch == '.' && !pointSeen) {
            pointSeen = true;
            return 1;
        }
        if (ch == 'e' && !exponentSeen) {
            exponentSeen = true;
            return 2;
        }
        return 0;
    }
};

struct NumberToken {
    size_t end;  // kNoToken when an "e" takes the end marker: the number is dropped
    bool kept;   // false when the rewrite would change it (the character an "e" took)
};

inline NumberToken ScanNumberToken(std::string_view text, size_t start) {
    NumberRule rule;
    NumberToken token{start + 1, true};
    while (token.end < text.size()) {
        const int taken = rule.Takes(text[token.end]);
        if (taken == 0)
            break;
        if (taken == 2) {
            if (token.end + 1 == text.size())
                return NumberToken{kNoToken, false};
            token.kept = token.kept && !IsRewritten(text[token.end + 1]);
        }
        token.end += static_cast<size_t>(taken);
    }
    return token;
}

// A number token of the minus sign alone is a failure, not a number.
constexpr bool IsSignAlone(std::string_view token) {
    return token.size() == 1 && token[0] == '-';
}

// True when the whole text is one number token, standing where an operand is
// expected, that the rewrite keeps: such a text evaluates to itself.
inline bool IsKeptNumberToken(std::string_view text) {
    if (text.empty() || !StartsNumber(text[0], true) || IsSignAlone(text))
        return false;
    const NumberToken token = ScanNumberToken(text, 0);
    return token.end == text.size() && token.kept;
}

// A name is a letter followed by letters and digits.
constexpr bool IsNameStart(char ch) {
    return IsLetter(ch);
}
constexpr bool IsNameChar(char ch) {
    return IsLetter(ch) || IsDigit(ch);
}
// A name character that the rewrite keeps.
constexpr bool IsKeptNameChar(char ch) {
    return IsNameChar(ch) && !IsRewritten(ch);
}

// --- A faster form for the scanner, which asks for every character: what
// each byte is there, built from the rules above.
enum CharClass : std::uint8_t {
    kOtherChar,  // begins an operator token
    kDigitChar,
    kMinusChar,  // starts a number where an operand is expected
    kLetterChar,
    kQuoteChar,
    kBraceChar,
    kOpenChar,
    kCloseChar,
};

inline constexpr std::array<CharClass, 256> kCharClasses = [] {
    std::array<CharClass, 256> classes{};
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        if (IsDigit(ch))
            classes[code] = kDigitChar;
        else if (StartsNumber(ch, true))
            classes[code] = kMinusChar;
        else if (IsNameStart(ch))
            classes[code] = kLetterChar;
        else if (ch == kQuote)
            classes[code] = kQuoteChar;
        else if (ch == '{')
            classes[code] = kBraceChar;
        else if (ch == '(')
            classes[code] = kOpenChar;
        else if (ch == ')')
            classes[code] = kCloseChar;
    }
    return classes;
}();

constexpr CharClass ClassOf(char ch) {
    return kCharClasses[static_cast<unsigned char>(ch)];
}

constexpr unsigned ClassBit(CharClass chClass) {
    return 1u << chClass;
}

// IsNameChar by the table.
constexpr bool IsNameCharByClass(char ch) {
    const CharClass chClass = ClassOf(ch);
    return chClass == kLetterChar || chClass == kDigitChar;
}

inline size_t NameEnd(std::string_view text, size_t start) {
    size_t i = start;
    while (i < text.size() && IsNameCharByClass(text[i]))
        ++i;
    return i;
}

// The call token runs to the parenthesis that closes the one at open,
// quoted and braced parts skipped; kNoToken when none does.
inline size_t CallEnd(std::string_view text, size_t open) {
    const size_t close = FindClosing(text, '(', ')', open);
    return close == kNotFound ? kNoToken : close + 1;
}

// The final text of a run, when it starts with a name, is a call if it holds
// a "(" (its name what stands before the first one), else a variable's name.
// A call token always reads so.
inline size_t FinalCallOpen(std::string_view text) {
    return text.find('(');
}

// A call's text, which holds a "(", cut at the first one: the function's
// name before it, and the argument between it and the last character, the
// closing parenthesis.
struct CallParts {
    std::string_view name;
    std::string_view argument;
};
inline CallParts CutCall(std::string_view call) {
    const size_t open = FinalCallOpen(call);
    const size_t argumentEnd = call.size() - 1 > open + 1 ? call.size() - 1 : open + 1;
    return CallParts{call.substr(0, open), call.substr(open + 1, argumentEnd - open - 1)};
}

// A string runs from its quote to the next quote not after a backslash,
// which takes the character after it along; a list from "{" to the first
// "}". kNoToken when the text ends first: the token is dropped.
inline size_t StringEnd(std::string_view text, size_t start) {
    size_t i = start + 1;
    while (i < text.size()) {
        if (text[i] == kQuote)
            return i + 1;
        i += text[i] == '\\' ? 2 : 1;
    }
    return kNoToken;
}

inline size_t ListEnd(std::string_view text, size_t start) {
    const size_t close = text.find('}', start + 1);
    return close == std::string_view::npos ? kNoToken : close + 1;
}

// An operator token starts where no other token can and runs on until one
// could; the end marker ends it too.
constexpr bool EndsOperator(char ch) {
    return IsDigit(ch) || IsLetter(ch) || ch == '-' || ch == kQuote || ch == '{' || ch == '(';
}

// The classes of the bytes that rule holds for; and whether it holds for
// every byte of those classes and no other, so that the classes can stand
// for the rule.
constexpr unsigned ClassesWhere(bool (*rule)(char)) {
    unsigned classes = 0;
    for (int code = 0; code < 256; ++code) {
        if (rule(static_cast<char>(code)))
            classes |= ClassBit(kCharClasses[code]);
    }
    return classes;
}
constexpr bool FollowsClasses(bool (*rule)(char), unsigned classes) {
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        if (rule(ch) != ((ClassBit(ClassOf(ch)) & classes) != 0))
            return false;
    }
    return true;
}

// EndsOperator by the table.
inline constexpr unsigned kEndsOperator = ClassesWhere(EndsOperator);
static_assert(FollowsClasses(EndsOperator, kEndsOperator));
constexpr bool EndsOperatorByClass(CharClass chClass) {
    return (ClassBit(chClass) & kEndsOperator) != 0;
}

inline size_t OperatorEnd(std::string_view text, size_t start) {
    size_t i = start + 1;
    while (i < text.size() && !EndsOperatorByClass(ClassOf(text[i])))
        ++i;
    return i;
}

// An operand directly followed by one of these gets an implied "*".
constexpr bool BeginsOperand(char ch) {
    return ch == kQuote || ch == '{' || IsDigit(ch) || IsLetter(ch) || ch == '(';
}

// BeginsOperand by the table.
inline constexpr unsigned kBeginsOperand = ClassesWhere(BeginsOperand);
static_assert(FollowsClasses(BeginsOperand, kBeginsOperand));
constexpr bool BeginsOperandByClass(CharClass chClass) {
    return (ClassBit(chClass) & kBeginsOperand) != 0;
}

// The part of a name that the rewrite keeps, from its start.
inline size_t KeptNameEnd(std::string_view text, size_t start) {
    size_t i = start;
    while (i < text.size() && IsKeptNameChar(text[i]))
        ++i;
    return i;
}

// True when the whole text is a name that the rewrite keeps.
inline bool IsKeptName(std::string_view text) {
    return !text.empty() && IsNameStart(text[0]) && KeptNameEnd(text, 0) == text.size();
}

}  // namespace expreval
