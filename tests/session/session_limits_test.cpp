// Hostile texts under limits: each fails with its limit's message, in a
// small part of the time allowed, and leaves the variables as they were.
#include <expreval/session.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using expreval::Limits;
using expreval::Session;
using Clock = std::chrono::steady_clock;

std::string Result(Session& session, const std::string& expression) {
    try {
        return session.Evaluate(expression);
    } catch (const expreval::Exception& failure) {
        return "failure: " + failure.message;
    }
}

std::string Repeated(const std::string& piece, int times, const std::string& separator) {
    std::string text = piece;
    for (int i = 1; i < times; ++i)
        text += separator + piece;
    return text;
}

std::string Nested(const std::string& call, int depth) {
    std::string text = "1";
    for (int i = 0; i < depth; ++i)
        text = call + "(" + text + ")";
    return text;
}

struct Hostile {
    const char* what;
    std::function<void(Limits&)> limit;
    std::vector<std::string> setUp;  // lines evaluated first, under no limits
    std::string line;                // run over and over until it fails
    std::string message;
};

Limits Generous() {
    Limits limits;
    limits.maxTime = std::chrono::seconds(2);
    return limits;
}

// A session whose x0 to x40 are lists of 2^i elements, each holding the list
// before it twice.
void DefineDoublingLists(Session& session) {
    session.SetVariable("x0", "{1}");
    for (int i = 1; i <= 40; ++i) {
        const std::string before = "x" + std::to_string(i - 1);
        session.SetVariable("x" + std::to_string(i), "{" + before + "," + before + "}");
    }
}

TEST(SessionLimits, StopHostileTextsCleanly) {
    const std::vector<Hostile> cases = {
        {"a long text",
         [](Limits& l) { l.maxTextLength = 1000; },
         {},
         Repeated("\"ab\"", 300, "+"),
         "Expression too long."},
        {"a long join",
         [](Limits& l) { l.maxValueSize = 1000; },
         {},
         Repeated("\"ab\"", 600, "+"),
         "Value too large."},
        {"doubling a list",
         [](Limits& l) { l.maxValueSize = 100000; },
         {"x={1,2,3}"},
         "x=x+x",
         "Value too large."},
        {"doubling a string",
         [](Limits& l) { l.maxValueSize = 100000; },
         {"s=\"ab\""},
         "s.=s",
         "Value too large."},
        {"a list times a long string",
         [](Limits& l) { l.maxValueSize = 100000; },
         {"s=\"" + std::string(60000, 'a') + "\"", "x={1,2,3}"},
         "y=x+s",
         "Value too large."},
        {"nested calls",
         [](Limits& l) { l.maxNesting = 50; },
         {},
         Nested("sin", 60),
         "Expression nested too deeply."},
        {"a list that holds itself",
         [](Limits& l) { l.maxNesting = 50; },
         {"y={1,y}"},
         "y*2",
         "Expression nested too deeply."},
        // Each group holds a value while the one inside it is worked out:
        // together they may take maxValueSize times maxNesting bytes.
        {"values waiting in groups",
         [](Limits& l) {
             l.maxValueSize = 10000;
             l.maxNesting = 10;
         },
         {"s=\"" + std::string(9000, 'a') + "\""},
         Repeated("(s.\"\"<", 20, "") + "1" + std::string(20, ')'),
         "Value too large."},
        {"many steps",
         [](Limits& l) { l.maxSteps = 10000; },
         {},
         "y=x20*2",
         "Evaluation took too long."},
        // Operands read where they stand count as the evaluations they
        // stand for, on every road.
        {"a long sum",
         [](Limits& l) { l.maxSteps = 1000; },
         {},
         "y=" + Repeated("1", 100000, "+"),
         "Evaluation took too long."},
        {"a long sum after a call",
         [](Limits& l) { l.maxSteps = 1000; },
         {},
         "y=sin(0)+" + Repeated("1", 100000, "+"),
         "Evaluation took too long."},
        {"a long sum of host calls",
         [](Limits& l) { l.maxSteps = 1000; },
         {},
         "y=" + Repeated("half(1)", 100000, "+"),
         "Evaluation took too long."},
        {"a long time",
         [](Limits& l) { l.maxTime = std::chrono::milliseconds(100); },
         {},
         "y=x40+1",
         "Evaluation took too long."},
        {"a long search",
         [](Limits& l) { l.maxTime = std::chrono::milliseconds(100); },
         {"a=\"" + std::string(200000, 'a') + "\"", "b=\"" + std::string(100000, 'a') + "b\""},
         "y=a=~b",
         ""},
    };
    for (const Hostile& hostile : cases) {
        SCOPED_TRACE(hostile.what);
        Session session;
        session.DefineFunction("half", [](double x) { return x / 2; });
        DefineDoublingLists(session);
        for (const std::string& line : hostile.setUp)
            session.Evaluate(line);
        Limits limits = Generous();
        hostile.limit(limits);
        session.SetLimits(limits);
        std::string result;
        std::vector<std::pair<std::string, std::string>> before;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < 100 && result.rfind("failure", 0) != 0; ++i) {
            before = session.Variables();
            result = Result(session, hostile.line);
        }
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
        if (hostile.message.empty()) {
            EXPECT_EQ(result.rfind("failure", 0), std::string::npos) << result;
            continue;
        }
        EXPECT_EQ(result, "failure: " + hostile.message);
        EXPECT_EQ(session.Variables(), before);
    }
}

// One call of a host's function may take longer than the whole budget: its
// time counts as soon as it returns, however it is called, not some 64
// checks later. Ten calls of 20 ms under 50 ms stop after the third.
TEST(SessionLimits, CountHostFunctionTimeAtOnce) {
    Limits limits;
    limits.maxTime = std::chrono::milliseconds(50);
    Session session(limits);
    const auto nap = [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
    session.DefineFunction("nap", [nap](double x) {
        nap();
        return x;
    });
    session.DefineValueFunction("doze", [nap](const std::string& value) {
        nap();
        return value;
    });
    for (const std::string& line :
         {Repeated("nap(1)", 10, "+"), std::string("nap({1,1,1,1,1,1,1,1,1,1})"),
          Repeated("doze(1)", 10, "+")}) {
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(Result(session, line), "failure: Evaluation took too long.") << line;
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(150)) << line;
    }
}

// The defaults bound nothing the console does not: the deepest nesting it
// allows, values and texts of any size.
TEST(SessionLimits, DefaultToTheConsolesBounds) {
    Session session;
    EXPECT_EQ(Result(session, Nested("sin", 998)), session.Evaluate(Nested("sin", 998)));
    EXPECT_EQ(Result(session, Nested("sin", 1000)), "failure: Expression nested too deeply.");
    EXPECT_EQ(Result(session, "s=\"" + std::string(1 << 20, 'a') + "\"").size(), (1u << 20) + 2);
    Limits limits;
    limits.maxNesting = 1001;
    EXPECT_THROW(session.SetLimits(limits), std::invalid_argument);
    limits.maxNesting = 0;
    EXPECT_THROW(session.SetLimits(limits), std::invalid_argument);
}

}  // namespace
