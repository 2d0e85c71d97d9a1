// The faster forms of the scanning rules must say what the plain rules say,
// for every byte value and for random texts.

#include "value/lexicon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "value/number_scan.h"
#include "value/value.h"

namespace expreval {
namespace {

CharClass PlainClass(char ch) {
    if (IsDigit(ch))
        return kDigitChar;
    if (StartsNumber(ch, true))
        return kMinusChar;
    if (IsNameStart(ch))
        return kLetterChar;
    if (ch == kQuote)
        return kQuoteChar;
    if (ch == '{')
        return kBraceChar;
    if (ch == '(')
        return kOpenChar;
    return ch == ')' ? kCloseChar : kOtherChar;
}

TEST(Lexicon, TablesFollowTheRulesForEveryByte) {
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        EXPECT_EQ(ClassOf(ch), PlainClass(ch)) << code;
        EXPECT_EQ(IsNameCharByClass(ch), IsNameChar(ch)) << code;
        EXPECT_EQ(BeginsOperandByClass(ClassOf(ch)), BeginsOperand(ch)) << code;
        EXPECT_EQ(EndsOperatorByClass(ClassOf(ch)), EndsOperator(ch)) << code;
    }
}

// Each byte value at every place of texts long enough for whole words, the
// rest of them bytes that do not affect the rewrite.
TEST(Lexicon, WordsFindWhatBytesFindForEveryByte) {
    for (int code = 0; code < 256; ++code) {
        for (size_t length = 1; length <= 19; ++length) {
            for (size_t at = 0; at < length; ++at) {
                std::string text(length, 'a');
                text[at] = static_cast<char>(code);
                ASSERT_EQ(FirstAffectingRewriteByWords(text), FirstAffectingRewrite(text))
                    << code << " at " << at << " of " << length;
            }
        }
    }
}

// Random texts over the bytes the rules tell apart; whatever the plain-number
// reader takes at once must be a whole number token the rewrite keeps.
TEST(Lexicon, FasterFormsAgreeOnRandomTexts) {
    const std::string alphabet = "0123456789.-e+E aZ\"\t\x80\xff\x01{(";
    std::uint64_t state = 13;
    const auto next = [&state](std::uint64_t range) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return (state >> 33) % range;
    };
    for (int n = 0; n < 5000; ++n) {
        std::string text;
        for (std::uint64_t length = next(24); length > 0; --length)
            text += next(3) == 0 ? alphabet[next(alphabet.size())] : "0123456789a."[next(12)];
        ASSERT_EQ(FirstAffectingRewriteByWords(text), FirstAffectingRewrite(text)) << text;
        ASSERT_EQ(KeptByRewriteBySkipping(text), KeptByRewrite(text)) << text;
        PlainNumber number;
        if (ReadPlainNumber(text, number)) {
            EXPECT_TRUE(IsKeptNumberToken(text)) << text;
        }
        if (text.empty() || !StartsNumber(text[0], true))
            continue;
        // A number scanned and read in one pass: the same token, the same value.
        PlainNumber scannedNumber;
        const ScannedNumber scanned = ScanNumber(text, 0, scannedNumber);
        const NumberToken token = ScanNumberToken(text, 0);
        ASSERT_EQ(scanned.token.end, token.end) << text;
        ASSERT_EQ(scanned.token.kept, token.kept) << text;
        if (scanned.read) {
            ASSERT_TRUE(ReadPlainNumber(std::string_view(text).substr(0, token.end), number));
            EXPECT_EQ(scannedNumber.value, number.value) << text;
            EXPECT_EQ(scannedNumber.integer, number.integer) << text;
        }
    }
}

TEST(Lexicon, NumberTokens) {
    struct Case {
        const char* text;
        size_t end;
        bool kept;
    };
    for (const Case& c : {Case{"12+3", 2, true}, Case{"1.5.2", 3, true}, Case{"1e+5*2", 4, true},
                          Case{"1eE", 3, false}, Case{"1e", kNoToken, false}, Case{"-x", 1, true},
                          Case{"5e5e5", 3, true}}) {
        const NumberToken token = ScanNumberToken(c.text, 0);
        EXPECT_EQ(token.end, c.end) << c.text;
        EXPECT_EQ(token.kept, c.kept) << c.text;
    }
    EXPECT_FALSE(IsKeptNumberToken("-"));
    EXPECT_FALSE(IsKeptNumberToken("1e 5"));
    EXPECT_TRUE(IsKeptNumberToken("-.5e\""));
}

}  // namespace
}  // namespace expreval
