#include "eval/nesting.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "eval/evaluate.h"
#include "support/evaluation.h"
#include "symbols/tables.h"

namespace expreval {
namespace {

using testing::FailureOf;

constexpr char kTooDeep[] = "Expression nested too deeply.";

// prefix written times times, then inner, then suffix as often as prefix.
std::string Nest(const std::string& prefix, int times, const std::string& inner,
                 const std::string& suffix) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += prefix;
    text += inner;
    for (int i = 0; i < times; ++i)
        text += suffix;
    return text;
}

std::string Chain(const std::string& function, int calls, const std::string& inner) {
    return Nest(function + "(", calls, inner, ")");
}

class NestingTest : public testing::WithBuiltInTables {};

// cos applied calls times to 0, one line at a time.
std::string CosineOneAtATime(int calls) {
    std::string value = "0";
    for (int i = 0; i < calls; ++i)
        value = Evaluate("cos(" + value + ")");
    return value;
}

TEST_F(NestingTest, ACallChainWorksUpToTheLimit) {
    // The line's run and one run per argument: kMaxNesting runs in all.
    EXPECT_EQ(Evaluate(Chain("cos", kMaxNesting - 1, "0")), CosineOneAtATime(kMaxNesting - 1));
    EXPECT_EQ(FailureOf(Chain("cos", kMaxNesting, "0")), kTooDeep);
    EXPECT_EQ(Evaluate("1+1"), "2");  // the count is back to zero
}

// Long chains fail before they are walked down; these cases sit right at
// the boundary, or where the walk would meet another failure first.
TEST_F(NestingTest, AChainFailsEarlyOnlyWhereTheWalkDownWouldFail) {
    // Under the operand run of "+" the same chain has one level less.
    const std::string deepest = CosineOneAtATime(kMaxNesting - 2);
    EXPECT_EQ(Evaluate("1+" + Chain("cos", kMaxNesting - 2, "0")), Evaluate("1+" + deepest));
    EXPECT_EQ(FailureOf("1+" + Chain("cos", kMaxNesting - 1, "0")), kTooDeep);
    EXPECT_EQ(Evaluate(Chain("cos", kMaxNesting - 2, "(0)")), deepest);

    const std::string tooLong = Chain("cos", kMaxNesting, "0");
    EXPECT_EQ(FailureOf(tooLong + "+-x"), "Negative sign missing number.");
    EXPECT_EQ(FailureOf(tooLong.substr(0, tooLong.size() - 1)), "Parameter list not closed.");
    EXPECT_EQ(FailureOf(Chain("cos", 10, "nowhere(" + tooLong + ")")),
              "Variable nowhere does not exist.");
    EXPECT_EQ(FailureOf(Chain("cos", 10, "nowhere+" + tooLong)),
              "Variable nowhere does not exist.");
}

TEST_F(NestingTest, AHundredThousandCallsDeepFailsAtOnce) {
    for (const char* function : {"sin", "cos", "log", "SIN"}) {
        const std::string line = Chain(function, 100000, "1");
        EXPECT_EQ(FailureOf(line), kTooDeep) << function;
        EXPECT_EQ(FailureOf("x1=" + line), kTooDeep) << function;
        EXPECT_EQ(FailureOf(line.substr(0, line.size() - 1)), "Parameter list not closed.")
            << function;
    }
    EXPECT_EQ(FailureOf(Chain("sin ", 100000, "1")), kTooDeep);
}

// Levels of nesting still allowed below the caller.
int LevelsLeft(Context& context) {
    std::vector<std::unique_ptr<NestingGuard>> guards;
    try {
        while (true)
            guards.push_back(std::make_unique<NestingGuard>(context));
    } catch (const Exception&) {
    }
    return static_cast<int>(guards.size());
}

// The deepest stack frame and nesting level reached by probe(...), a
// function registered below.
uintptr_t g_deepestFrame = 0;
int g_deepestLevel = 0;

std::string Probe(const Operand&, const Operand&, Context& context) {
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (g_deepestFrame == 0 || frame < g_deepestFrame) {
        g_deepestFrame = frame;
        g_deepestLevel = kMaxNesting - LevelsLeft(context);
    }
    return "1";
}

constexpr int kLongestListChain = kMaxNesting;

// While it lives, g_functions holds the built-in functions and probe(...),
// and g_variables holds zurp and a chain of list variables, chain0 holding
// {chain1} and so on, the last one {probe(0)}. The shared tables stay as
// they are for the other tests.
struct ProbeTables {
    SymbolList<Function> functions;
    SymbolList<Variable> variables;
    SymbolList<Function>* sharedFunctions = std::exchange(g_functions, &functions);
    SymbolList<Variable>* sharedVariables = std::exchange(g_variables, &variables);

    ProbeTables() {
        const Function* end = sharedFunctions->Sentinel();
        for (const Function* p = end->next; p != end; p = p->next)
            functions.Append(new Function(p->name, p->handler));
        functions.InsertOrReplace(new Function("probe", Probe));
        ResetVariables();
        const std::string last = std::to_string(kLongestListChain);
        SetVariable("chain" + last, "{probe(0)}");
        for (int i = 0; i < kLongestListChain; ++i)
            SetVariable("chain" + std::to_string(i), "{chain" + std::to_string(i + 1) + "}");
    }
    ~ProbeTables() {
        g_functions = sharedFunctions;
        g_variables = sharedVariables;
    }
};

// The name of the list variable that starts a chain of the given length.
std::string ListChain(int length) {
    return "chain" + std::to_string(kLongestListChain - length);
}

struct Depth {
    size_t stackBytes;
    int levels;
};

// Stack used and levels of nesting reached by evaluating line, whose
// innermost run calls probe(0).
Depth Measure(const std::string& line) {
    g_deepestFrame = 0;
    const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    Evaluate(line);
    EXPECT_NE(g_deepestFrame, 0u) << line.substr(0, 40);
    return {top - g_deepestFrame, g_deepestLevel};
}

// Stack per level from two depths of the same line shape, so that what the
// test itself uses drops out.
size_t StackPerLevel(std::string (*line)(int levels)) {
    const Depth shallow = Measure(line(20));
    const Depth deep = Measure(line(120));
    EXPECT_GT(deep.levels, shallow.levels);
    if (deep.levels <= shallow.levels)
        return 0;
    return (deep.stackBytes - shallow.stackBytes) /
           static_cast<size_t>(deep.levels - shallow.levels);
}

// Every way a line can nest evaluations: calls, operands of every operator
// family, element-wise application by operators and by functions. The
// deepest nesting must leave a quarter of the default 8 MB stack to the
// program around it, in every build.
TEST_F(NestingTest, TheDeepestNestingOfEveryPathLeavesAQuarterOfTheStack) {
    const ProbeTables tables;
    const std::vector<std::string (*)(int)> paths = {
        [](int n) { return Chain("cos", n, "probe(0)"); },
        [](int n) { return Chain("cos", n, "(((probe(0))))"); },
        [](int n) { return Nest("cos(n+", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n-", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n/", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n&", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n<", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n=~", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n||", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n.", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n=", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n.=", n, "probe(0)", ")"); },
        [](int n) { return Nest("cos(n^=", n, "probe(0)", ")"); },
        [](int n) { return ListChain(n) + "*2"; },
        [](int n) { return "2-" + ListChain(n); },
        [](int n) { return ListChain(n) + "+2"; },
        [](int n) { return ListChain(n) + "!=2"; },
        [](int n) { return ListChain(n) + ".2"; },
        [](int n) { return ListChain(n) + "|2"; },
        [](int n) { return "tan(" + ListChain(n) + ")"; },
    };
    constexpr size_t kBudget = size_t{6} << 20;
    for (size_t i = 0; i < paths.size(); ++i) {
        SetVariable("n", "1");
        const size_t perLevel = StackPerLevel(paths[i]);
        EXPECT_LT(perLevel * kMaxNesting, kBudget)
            << paths[i](1) << ": " << perLevel << " bytes of stack per level";
    }
}

// The level at which line calls probe(0), whether or not it fails later.
int LevelsReached(const std::string& line) {
    g_deepestFrame = 0;
    FailureOf(line);
    return g_deepestLevel;
}

// Lines that go deeper before doing anything else fail before they are
// walked down; the walk must never count a level the evaluation does not
// enter. For each shape the levels per repetition are measured with probe(0)
// innermost; the deepest line that then fits must answer, one repetition
// more must fail, and so must a line far too deep.
TEST_F(NestingTest, DeepShapesFailEarlyOnlyPastTheLimit) {
    struct Shape {
        const char* prefix;
        const char* suffix;
    };
    const Shape shapes[] = {
        {"1+sin(", ")"},   {"2sin(", ")"},    {"1.5*cos(", ")"}, {"-1-cos(", ")"},
        {"n.sin(", ")"},   {"1=sin(", ")"},   {"1+=sin(", ")"},  {"1<(cos(", "))"},
        {"(1|cos(", "))"}, {"cos(1+(", "))"}, {"1e5+cos(", ")"}, {"cos(n=~(", "))"},
        {"x=1+sin(", ")"}, {"y=sin(", ")"},   {"2-n*cos(", ")"}, {"z.=1+2*sin((", "))"},
    };
    const ProbeTables tables;
    SetVariable("n", "1");
    for (const Shape& shape : shapes) {
        const auto line = [&shape](int times, const char* inner) {
            return Nest(shape.prefix, times, inner, shape.suffix);
        };
        const int first = LevelsReached(line(20, "probe(0)"));
        const int perRepetition = LevelsReached(line(21, "probe(0)")) - first;
        ASSERT_GT(perRepetition, 0) << shape.prefix;
        const int fits = 20 + (kMaxNesting - first) / perRepetition;
        EXPECT_NE(FailureOf(line(fits, "1")), kTooDeep) << shape.prefix;
        EXPECT_EQ(FailureOf(line(fits + 1, "1")), kTooDeep) << shape.prefix;
        EXPECT_EQ(FailureOf(line(100000, "1")), kTooDeep) << shape.prefix;
    }
    // Where something else fails first, it is reported.
    const std::string deep = Nest("1+sin(", 2000, "1", ")");
    EXPECT_EQ(FailureOf("absent+" + deep), "Variable absent does not exist.");
    EXPECT_EQ(FailureOf("1/0+" + deep), "Division by 0 is not allowed.");
    EXPECT_EQ(FailureOf(deep + "*-x"), "Negative sign missing number.");
    EXPECT_EQ(FailureOf(deep.substr(0, deep.size() - 1)), "Parameter list not closed.");
    EXPECT_EQ(FailureOf("cos(1e(" + deep + ")"), "Parameter list not closed.");
    EXPECT_EQ(FailureOf("1+sin(nowhere+" + deep + ")"), "Variable nowhere does not exist.");
    EXPECT_EQ(FailureOf("1+sin(nowhere*" + deep + ")"), "Variable nowhere does not exist.");
    EXPECT_EQ(FailureOf("1+sin(2/0*" + deep + ")"), "Division by 0 is not allowed.");
    EXPECT_EQ(FailureOf("1+sin(1=2+" + deep + ")"), kTooDeep);
}

}  // namespace
}  // namespace expreval
