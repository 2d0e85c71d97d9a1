// Lines of plain arithmetic are worked out on doubles; whatever that road
// answers must be exactly what the stacks and the handlers give, variables
// included, and a line it gives up must be left as it found it.

#include "eval/number_line.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "eval/evaluate.h"
#include "support/tables.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

using Variables = std::vector<std::pair<std::string, std::string>>;

Variables AllVariables() {
    Variables all;
    const Variable* sentinel = g_variables->Sentinel();
    for (const Variable* v = sentinel->next; v != sentinel; v = v->next)
        all.emplace_back(v->name, v->value);
    return all;
}

// Values of every kind the operands may meet, under names with and without
// an "e" (which decides how / and % read them).
void SetUpVariables() {
    ResetVariables();
    StoreGlobal("x", "7.5");
    StoreGlobal("y", "-12");
    StoreGlobal("n", "007");
    StoreGlobal("rate", "2.50");
    StoreGlobal("big", "1.2345678901235e+014");
    StoreGlobal("z0", "0");
    StoreGlobal("inf", "1.#INF");
    StoreGlobal("s", "\"ab\"");
    StoreGlobal("l", "{1,2}");
    StoreGlobal("e5", "3");
}

struct Outcome {
    bool answered = false;
    std::string text;  // the value, or the failure's message
    Variables variables;
};

Outcome TheFullRoad(const std::string& line) {
    SetUpVariables();
    Outcome outcome;
    try {
        std::string rewritten = line;
        StripWhiteSpaceAndFoldCase(rewritten);
        outcome.text = EvaluateOnStacks(TestContext(), rewritten);
        outcome.answered = true;
    } catch (const Exception& failure) {
        outcome.text = failure.message;
    }
    outcome.variables = AllVariables();
    return outcome;
}

// The line as it came, then, if the road gives it up, rewritten, as the
// entries try them.
bool OnTheNumberRoad(const std::string& line, std::string& result) {
    NumberLineAnswer answer;
    std::string rewritten = line;
    if (!WorkOutNumberLine(TestContext(), line, answer)) {
        StripWhiteSpaceAndFoldCase(rewritten);
        if (!WorkOutNumberLine(TestContext(), rewritten, answer))
            return false;
    }
    result = GiveNumberLineAnswer(TestContext(), answer);
    return true;
}

// Returns whether the road answered.
bool ExpectSameAsTheFullRoad(const std::string& line) {
    SetUpVariables();
    const Variables before = AllVariables();
    std::string result;
    const bool answered = OnTheNumberRoad(line, result);
    const Variables after = AllVariables();
    const Outcome full = TheFullRoad(line);
    if (!answered) {
        EXPECT_EQ(after, before) << line;
        return false;
    }
    EXPECT_TRUE(full.answered) << line << " -> " << full.text;
    EXPECT_EQ(result, full.text) << line;
    EXPECT_EQ(after, full.variables) << line;
    return true;
}

TEST(NumberLineTest, AnswersLinesOfPlainArithmetic) {
    UseBuiltInTables();
    for (const std::string& line :
         std::vector<std::string>{"1+2",
                                  "7/2",
                                  "-7%3",
                                  "7.0/2",
                                  "2.5*2",
                                  "(1+2)*3",
                                  "2(3+4)",
                                  "(2)(3)",
                                  "5x",
                                  "x/2",
                                  "rate/2",
                                  "n*2",
                                  "y-1",
                                  "3--2",
                                  "q=2*(3+4)",
                                  "q=x",
                                  "q=007",

                                  "0.25*0.2",
                                  "100000000*10000000",
                                  "12345678901234+0",

                                  "1-1.5",
                                  "99999999999999.9+0",
                                  "7/0.4",
                                  "big+1",
                                  "2147483647*2/1",
                                  "x=x+1",
                                  "1 + 2",
                                  "X+1",
                                  "1e5+1",
                                  "1E5+1",
                                  "Q=2",
                                  "2 X",
                                  "x(2)",
                                  std::string(40, '(') + "1+2" + std::string(40, ')')}) {
        EXPECT_TRUE(ExpectSameAsTheFullRoad(line)) << line;
    }
}

TEST(NumberLineTest, GivesUpEverythingElseUntouched) {
    UseBuiltInTables();
    for (const char* line :
         {"s+1",       "l*2",     "inf+1", "7/z0",    "7%0",           "x%0",   "1+",
          "(1+2",      "1+2)",    "-x+1",  "q=",      "q==1",          "1=2+3", "sin(1)+1",
          "unknown+1", "1+\"a\"", "{1}+1", "q=1+2=3", "1e300*1e300+1", "2*)",   "(q=1)2"}) {
        EXPECT_FALSE(ExpectSameAsTheFullRoad(line)) << line;
    }
}

// The numbers of variables are remembered by their texts: a new value, of
// the same length or from an assignment on the road itself, is read anew.
TEST(NumberLineTest, ReadsAVariableAnewWhenItsValueChanges) {
    UseBuiltInTables();
    ResetVariables();
    const auto answer = [](const std::string& line) {
        std::string result;
        EXPECT_TRUE(OnTheNumberRoad(line, result)) << line;
        return result;
    };
    StoreGlobal("v", "1.5");
    EXPECT_EQ(answer("v*2"), "3.");
    StoreGlobal("v", "2.5");
    EXPECT_EQ(answer("v*2"), "5.");
    EXPECT_EQ(answer("v=v+1"), "3.5");
    EXPECT_EQ(answer("v*2"), "7.");
}

// An assignment made on the road tells the variable what its new text reads
// as: that must be what reading the text gives, integer or not.
TEST(NumberLineTest, AVariableAssignedKnowsWhatItsTextReadsAs) {
    UseBuiltInTables();
    for (const char* line : {"v=7/2", "v=7.0/2", "v=0.1+0.2", "v=w", "v=007", "v=1e5", "v=-0*1",
                             "v=99999999999999.9+0", "v=2147483647*2/1"}) {
        ResetVariables();
        StoreGlobal("v", "1.5");
        StoreGlobal("w", "2.50");
        std::string result;
        EXPECT_TRUE(OnTheNumberRoad(line, result)) << line;
        const Variable& v = *FindVariableIn(*g_variables, "v");
        PlainNumber known;
        PlainNumber read;
        EXPECT_TRUE(ReadVariableNumber(v, known, nullptr)) << line;
        EXPECT_TRUE(ReadPlainNumber(v.value, read)) << line;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(known.value),
                  std::bit_cast<std::uint64_t>(read.value))
            << line;
        EXPECT_EQ(known.integer, read.integer) << line;
    }
}

// Random lines: arithmetic made by a small grammar, then now and then a
// piece put in or taken out. Every line either is given up or agrees with
// the full road.
class LineMaker {
  public:
    std::string Line() {
        std::string line = gen_() % 4 == 0 ? Pick(kNames) + "=" : "";
        line += Expression(0);
        return Edited(std::move(line));
    }

    // Sums and products of literals and variables that hold numbers, which
    // cannot divide by zero, so that most lines are answered.
    std::string LongLine() {
        std::string line;
        while (line.size() <= 300) {
            if (!line.empty())
                line += Pick({"+", "-", "*", "+"});
            const std::string term = gen_() % 3 == 0 ? Pick({"x", "y", "n", "rate"}) : Literal();
            line += gen_() % 8 == 0 ? "(" + term + "-" + Literal() + ")" : term;
        }
        return gen_() % 4 == 0 ? Edited(std::move(line)) : line;
    }

  private:
    std::string Edited(std::string line) {
        for (int edits = static_cast<int>(gen_() % 3); edits > 0 && !line.empty(); --edits) {
            const size_t at = gen_() % line.size();
            if (gen_() % 2 == 0)
                line.insert(at, Pick(kAny));
            else
                line.erase(at, 1);
        }
        return line;
    }

    std::string Expression(int depth) {
        std::string text = Operand(depth);
        for (int terms = static_cast<int>(gen_() % 4); terms > 0; --terms) {
            if (gen_() % 5 != 0)  // else implied multiplication
                text += Pick(kOperators);
            text += Operand(depth);
        }
        return text;
    }

    std::string Operand(int depth) {
        if (depth < 3 && gen_() % 5 == 0)
            return "(" + Expression(depth + 1) + ")";
        const unsigned kind = gen_() % 6;
        if (kind < 2)
            return Pick(kNames);
        return kind < 4 ? Pick(kNumbers) : Literal();
    }

    // Digit runs of every length from 1 to 10, before and after a point,
    // since the scan reads them eight at a time.
    std::string Literal() {
        std::string text = gen_() % 4 == 0 ? "-" : "";
        text += Digits(1 + gen_() % 10);
        if (gen_() % 2 == 0)
            text += "." + Digits(gen_() % 11);
        return text;
    }

    std::string Digits(size_t count) {
        std::string digits;
        for (size_t i = 0; i < count; ++i)
            digits += static_cast<char>('0' + gen_() % 10);
        return digits;
    }

    std::string Pick(const std::vector<std::string>& from) { return from[gen_() % from.size()]; }

    const std::vector<std::string> kNumbers = {
        "0",          "1",          "2",          "7",   "12",         "-3",
        "007",        "3.5",        "-0.5",       "0.1", "5.",         "99999999999999",
        "123456.789", "2147483648", "4294967303", "1e5", "0.000001234"};
    const std::vector<std::string> kNames = {"x", "y", "n", "rate", "big", "z0", "q", "inf", "s"};
    const std::vector<std::string> kOperators = {"+", "-", "*", "/", "%", "+", "*"};
    const std::vector<std::string> kAny = {"(", ")", "-", ".", "=", " ",
                                           "^", "e", "x", "2", "*", "E"};
    std::mt19937 gen_{2026};
};

// How many of count lines made by next the road answers, each checked
// against the full road; stops at the first failure.
template <typename Next>
int AnsweredAlike(int count, Next next) {
    int answered = 0;
    for (int i = 0; i < count && !testing::Test::HasFailure(); ++i)
        answered += ExpectSameAsTheFullRoad(next()) ? 1 : 0;
    return answered;
}

// Enough answered lines for the checks to mean something.
TEST(NumberLineTest, AgreesWithTheFullRoadOnRandomLines) {
    UseBuiltInTables();
    LineMaker maker;
    constexpr int kLines = 20000;
    EXPECT_GT(AnsweredAlike(kLines, [&maker] { return maker.Line(); }), kLines / 4);
}

TEST(NumberLineTest, AgreesWithTheFullRoadOnLongLines) {
    UseBuiltInTables();
    LineMaker maker;
    constexpr int kLines = 1000;
    EXPECT_GT(AnsweredAlike(kLines, [&maker] { return maker.LongLine(); }), kLines / 10);
}

// A host may build an operator table of its own: the road follows its
// precedences, or leaves every line to the full road when "=" would not be
// applied last.
class WithOtherPrecedences : public ::testing::Test {
  protected:
    void SetUp() override { UseBuiltInTables(); }
    void TearDown() override {
        if (builtIn_ != nullptr)
            std::unique_ptr<SymbolList<Operator>>(std::exchange(g_operators, builtIn_));
    }

    // The built-in rows, with the precedences that changed() gives.
    void Use(const std::function<int(const std::string&, int)>& changed) {
        builtIn_ = g_operators;
        auto table = std::make_unique<SymbolList<Operator>>();
        const Operator* end = builtIn_->Sentinel();
        for (const Operator* op = end->next; op != end; op = op->next) {
            Operator* copy = table->Append(
                new Operator(op->symbol, op->handler, changed(op->symbol, op->precedence)));
            copy->numbers = op->numbers;
            copy->assigns = op->assigns;
            copy->elementJoin = op->elementJoin;
        }
        g_operators = table.release();
    }

  private:
    SymbolList<Operator>* builtIn_ = nullptr;
};

TEST_F(WithOtherPrecedences, SumsBindingTighterThanProducts) {
    Use([](const std::string& symbol, int precedence) {
        return symbol == "+" || symbol == "-" ? 3 : precedence;
    });
    EXPECT_TRUE(ExpectSameAsTheFullRoad("1+2*3-4"));
    EXPECT_EQ(TheFullRoad("1+2*3-4").text, "-3");
    LineMaker maker;
    EXPECT_GT(AnsweredAlike(2000, [&maker] { return maker.Line(); }), 2000 / 4);
}

TEST_F(WithOtherPrecedences, AssignmentNotTheLoosest) {
    Use([](const std::string& symbol, int precedence) { return symbol == "=" ? 1 : precedence; });
    EXPECT_FALSE(ExpectSameAsTheFullRoad("q=1+2"));
    EXPECT_EQ(TheFullRoad("q=1+2").text, "3");
}

}  // namespace
}  // namespace expreval
