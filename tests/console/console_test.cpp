#include "console/console.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/tables.h"

namespace expreval {
namespace {

constexpr char kBanner[] = "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
constexpr char kPrompt[] = "Enter expression: ";

// Standard output of a whole session on input, after the banner.
std::string Session(const std::string& input) {
    UseBuiltInTables();
    std::istringstream in(input);
    std::ostringstream out;
    EXPECT_EQ(RunConsole(in, out), 0);
    const std::string output = out.str();
    EXPECT_EQ(output.substr(0, sizeof kBanner - 1), kBanner);
    return output.substr(sizeof kBanner - 1);
}

std::string Answer(const std::string& result) {
    return std::string(kPrompt) + "The result is " + result + "\n";
}

std::string Failure(const std::string& message) {
    return std::string(kPrompt) + message + "\nThe result is Error\n";
}

// Long enough to show a cost in proportion to the square of the length, short
// enough for the sanitizer build. The optimised build also gets a 100 MB line
// (limits/huge_line.sh).
constexpr size_t kLong = 1'000'000;

// Every one of these lines is scanned once: each is answered in time in
// proportion to its length, with the message its first fault gives.
TEST(ConsoleTest, AnswersLongLinesOfOneCharacter) {
    const std::string blanks(10 * kLong, ' ');
    EXPECT_EQ(Session(blanks + "\n.\n"), Failure("Too many operands.") + kPrompt);
    EXPECT_EQ(Session("1" + blanks + "+" + blanks + "1"), Answer("2"));
    EXPECT_EQ(Session(std::string(kLong, '(')), Failure("Operator ( does not exist."));
    EXPECT_EQ(Session(std::string(kLong, ')')), Failure("Missing '('."));
    EXPECT_EQ(Session(std::string(kLong, '{')), Failure("Too many operands."));
    EXPECT_EQ(Session(std::string(kLong, '"')), Failure("Operation does not support strings."));
    EXPECT_EQ(Session(std::string(kLong, '\0')),
              Failure("Operator " + std::string(kLong, '\0') + " does not exist."));
    EXPECT_EQ(Session(std::string(kLong, '\r')), Failure("Too many operands."));
    EXPECT_EQ(Session(std::string(kLong, '7')), Answer(std::string(kLong, '7')));
}

TEST(ConsoleTest, AnswersLongLinesOfRepeatedTokens) {
    std::string sum = "0";
    std::string calls;
    for (int i = 0; i < 100'000; ++i) {
        sum += "+1";
        calls += "sin(0)";
    }
    EXPECT_EQ(Session(sum), Answer("100000"));
    EXPECT_EQ(Session("\"" + std::string(kLong, 'a') + "\".\"b\""),
              Answer("\"" + std::string(kLong, 'a') + "b\""));
    EXPECT_EQ(Session(calls), Answer("0."));
}

}  // namespace
}  // namespace expreval
