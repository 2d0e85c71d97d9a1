#include "eval/single_token.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "eval/tokenizer.h"
#include "support/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

TEST(SingleToken, TakesWholeOperandTokens) {
    for (const char* text : {"5", "007", "-3", "-.5", "5.", "1.5e-007", "1e+5", "\"a b\"",
                             "\"a\\\"b\"", "\"\"", "\"A\"", "{1,2}", "{\"x\",{3}", "{}"}) {
        EXPECT_EQ(ClassifySingleToken(text), SingleToken::kValue) << text;
    }
    for (const char* text : {"x", "zurp", "x1", "e"}) {
        EXPECT_EQ(ClassifySingleToken(text), SingleToken::kName) << text;
    }
}

TEST(SingleToken, LeavesEverythingElseToTheFullRun) {
    for (const char* text : {"",   "-",    "12e",    "-e",      "1.2.3", "1 2",  " 5",
                             "X",  "{A}",  "1+2",    "sin(1)",  "x(2)",  "\"ab", "\"a\\\"",
                             "{1", "{1}}", "1.#INF", "-1.#IND", "(1)",   "2x",   ".5"}) {
        EXPECT_EQ(ClassifySingleToken(text), SingleToken::kNone) << text;
    }
}

class Recorder final : public TokenEvents {
  public:
    void Operand(std::string_view text) override { events.push_back(std::string(text)); }
    void OperatorToken(std::string_view) override { events.push_back("operator"); }
    void OpenGroup() override { events.push_back("open group"); }
    void CloseGroup() override { events.push_back("close group"); }

    std::vector<std::string> events;
};

// Every short text over the characters that matter to the scan: a text
// taken as one token must be one the rewrite keeps and the scan reads as that
// one operand, and every such text must be taken.
TEST(SingleToken, AgreesWithTheRewriteAndTheScan) {
    UseBuiltInTables();
    const std::string alphabet = "0.e-\"\\{}x(A ,";
    std::uint64_t state = 1;
    for (int n = 0; n < 100000; ++n) {
        std::string text;
        state = state * 6364136223846793005u + 1442695040888963407u;
        for (std::uint64_t bits = state >> 20, length = 1 + bits % 6; length > 0; --length) {
            bits /= 6;
            text += alphabet[bits % alphabet.size()];
            bits /= alphabet.size();
        }
        std::string rewritten = text;
        StripWhiteSpace(rewritten);
        FoldCase(rewritten);
        Recorder recorder;
        try {
            Scan(rewritten, recorder);
        } catch (const Exception&) {
            recorder.events = {"failed"};
        }
        const bool oneToken = rewritten == text && recorder.events == std::vector{text};
        const SingleToken kind = ClassifySingleToken(text);
        EXPECT_EQ(kind != SingleToken::kNone, oneToken) << text;
        if (kind != SingleToken::kNone) {
            EXPECT_EQ(kind == SingleToken::kName, IsLetter(text[0])) << text;
        }
    }
}

}  // namespace
}  // namespace expreval
