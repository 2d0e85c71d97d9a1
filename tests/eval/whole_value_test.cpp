#include "eval/whole_value.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "eval/tokenizer.h"
#include "support/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

TEST(WholeValue, TakesWholeValueTokens) {
    for (const char* text : {"5", "007", "-3", "-.5", "5.", "1.5e-007", "1e+5", "\"a b\"",
                             "\"a\\\"b\"", "\"\"", "\"A\"", "{1,2}", "{\"x\",{3}", "{}"}) {
        EXPECT_TRUE(IsWholeValue(text)) << text;
    }
    UseBuiltInTables();
    for (const char* text : {"x", "zurp", "x1", "e", "sin(1)", "cos(x+(2))", "tan()"})
        EXPECT_FALSE(IsWholeValue(text)) << text;
}

TEST(WholeValue, RefusesEverythingElse) {
    UseBuiltInTables();
    for (const char* text :
         {"",      "-",        "12e",       "-e",      "1.2.3",  "1 2",    " 5",
          "X",     "{A}",      "1+2",       "SIN(1)",  "x(2)",   "\"ab",   "\"a\\\"",
          "{1",    "{1}}",     "1.#INF",    "-1.#IND", "(1)",    "2x",     ".5",
          "sin(1", "sin(1)+1", "sin(1)(2)", "sin( 1)", "sin(A)", "sinx(1)"}) {
        EXPECT_FALSE(IsWholeValue(text)) << text;
    }
}

class Recorder final : public TokenEvents {
  public:
    void Operand(const Token& token) override { events.push_back(std::string(token.text)); }
    void OperatorToken(std::string_view) override { events.push_back("operator"); }
    void OpenGroup() override { events.push_back("open group"); }
    void CloseGroup() override { events.push_back("close group"); }

    std::vector<std::string> events;
};

// Every short text over the pieces that matter to the scan: a text taken as
// a value must be one the rewrite keeps and the scan reads as that one
// operand, and every such text but a name or a call must be taken.
TEST(WholeValue, AgreesWithTheRewriteAndTheScan) {
    UseBuiltInTables();
    const std::vector<std::string> pieces = {"0", ".", "e", "-", "\"", "\\", "{",   "}",
                                             "x", "(", "A", " ", ",",  ")",  "sin", "cos("};
    std::uint64_t state = 1;
    for (int n = 0; n < 200000; ++n) {
        std::string text;
        state = state * 6364136223846793005u + 1442695040888963407u;
        for (std::uint64_t bits = state >> 20, length = 1 + bits % 6; length > 0; --length) {
            bits /= 6;
            text += pieces[bits % pieces.size()];
            bits /= pieces.size();
        }
        std::string rewritten = text;
        StripWhiteSpace(rewritten);
        FoldCase(rewritten);
        Recorder recorder;
        try {
            Scan(TestContext(), rewritten, recorder);
        } catch (const Exception&) {
            recorder.events = {"failed"};
        }
        const bool oneToken = rewritten == text && recorder.events == std::vector{text};
        EXPECT_EQ(IsWholeValue(text), oneToken && !IsLetter(text[0])) << text;
    }
}

}  // namespace
}  // namespace expreval
