// Sessions as a host program uses them: through the public header alone.
#include <expreval/expreval.h>
#include <expreval/session.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using expreval::Session;
using Variables = std::vector<std::pair<std::string, std::string>>;

std::string Result(Session& session, const std::string& expression) {
    try {
        return session.Evaluate(expression);
    } catch (const expreval::Exception& failure) {
        return "failure: " + failure.message;
    }
}

TEST(Sessions, KeepTheirVariablesApart) {
    Session empty;
    Session console = Session::Console();
    EXPECT_EQ(Result(empty, "zurp"), "failure: Variable zurp does not exist.");
    EXPECT_EQ(Result(console, "zurp*2"), "{2,4,6,8,10}");
    EXPECT_EQ(Result(empty, "Rate=2"), "2");
    empty.SetVariable("Count", "{1,\"a\"}");
    EXPECT_EQ(Result(console, "rate"), "failure: Variable rate does not exist.");
    EXPECT_EQ(Result(empty, "count"), "{1,\"a\"}");
    EXPECT_EQ(empty.Variable("RATE"), "2");
    EXPECT_EQ(console.Variable("rate"), std::nullopt);
    EXPECT_EQ(empty.Variables(), (Variables{{"count", "{1,\"a\"}"}, {"rate", "2"}}));
    // The process-wide tables of the free functions are a session of their own.
    EXPECT_EQ(Result(empty, "sessiononly=1"), "1");
    EXPECT_THROW(expreval::Evaluate("sessiononly"), expreval::Exception);
    expreval::SetVariable("onlyglobal", "1");
    EXPECT_EQ(Result(empty, "onlyglobal"), "failure: Variable onlyglobal does not exist.");
    // A moved session keeps what it had.
    Session moved = std::move(empty);
    EXPECT_EQ(Result(moved, "rate+count"), "{3,\"2a\"}");
}

// The process-wide SetVariable checks as a session's does: a value such as
// "1 + 2" stored unchecked would be read as 1 later, and "2x" could never be
// read. A list with an empty element fails every use with "Too many
// operands.", so it is refused at once.
TEST(Sessions, RefuseNamesAndValuesNoExpressionCouldHold) {
    Session session;
    const std::vector<std::function<void(const std::string&, const std::string&)>> setters = {
        [&session](const std::string& name, const std::string& value) {
            session.SetVariable(name, value);
        },
        [](const std::string& name, const std::string& value) {
            expreval::SetVariable(name, value);
        },
    };
    for (const auto& set : setters) {
        for (const char* name : {"", "2x", "x y", "x_1", "\"x\""})
            EXPECT_THROW(set(name, "1"), std::invalid_argument) << name;
        for (const char* value : {"", "x", "1+2", "1 + 2", "\"open", "{1, 2}", "{1}}", "sin(1)",
                                  "{1,,2}", "{,}", "{}", "{1,}", "{,\"a\"}"})
            EXPECT_THROW(set("odd", value), std::invalid_argument) << value;
        set("odd", "{\",\",\"\"}");  // commas and empty strings in quotes are elements
    }
    EXPECT_EQ(session.Variables(), (Variables{{"odd", "{\",\",\"\"}"}}));
    EXPECT_EQ(expreval::Evaluate("odd.1"), "{\",1\",\"1\"}");
    session.DefineValueFunction("hole", [](const std::string&) { return "{1,,2}"; });
    EXPECT_EQ(Result(session, "hole(1)"), "failure: Function hole returned an invalid value.");
}

// A host's catch of std::exception meets every evaluation failure.
TEST(Sessions, FailuresAreStandardExceptions) {
    Session session;
    try {
        session.Evaluate("y+1");
        ADD_FAILURE() << "no failure";
    } catch (const std::exception& failure) {
        EXPECT_STREQ(failure.what(), "Variable y does not exist.");
    }
}

// Removing and clearing leave a session that evaluates as one that never had
// those variables; a copy goes its own way from the moment it is made.
TEST(Sessions, RemoveClearAndCopyVariables) {
    Session session = Session::Console();
    session.DefineFunction("twice", [](double x) { return 2 * x; });
    expreval::Limits limits;
    limits.maxSteps = 1000;
    session.SetLimits(limits);
    session.Evaluate("a=1");
    session.Evaluate("b=2");
    Session copy = session;
    EXPECT_TRUE(session.RemoveVariable("A"));
    EXPECT_FALSE(session.RemoveVariable("a"));
    EXPECT_FALSE(session.RemoveVariable("2x"));
    EXPECT_EQ(Result(session, "a"), "failure: Variable a does not exist.");
    EXPECT_EQ(Result(session, "a=b+1"), "3");  // defined again after its removal
    EXPECT_EQ(session.Variables(), (Variables{{"a", "3"}, {"b", "2"}, {"zurp", "{1,2,3,4,5}"}}));
    EXPECT_EQ(Result(copy, "twice(a+b)"), "6.");
    EXPECT_EQ(copy.CurrentLimits().maxSteps, 1000u);
    std::string sum = "1";
    for (int i = 0; i < 2000; ++i)
        sum += "+1";
    EXPECT_EQ(Result(copy, sum), "failure: Evaluation took too long.");
    session.ClearVariables();
    EXPECT_TRUE(session.Variables().empty());
    EXPECT_EQ(Result(session, "zurp"), "failure: Variable zurp does not exist.");
    EXPECT_EQ(copy.Variables().size(), 3u);
    copy = session;
    EXPECT_TRUE(copy.Variables().empty());
    EXPECT_EQ(Result(copy, "twice(4)"), "8.");
    // While a session evaluates, its records are in use: none may go.
    session.DefineFunction("meddle", [&session](double x) {
        session.RemoveVariable("x");
        return x;
    });
    session.DefineFunction("wipe", [&session](double x) {
        session.ClearVariables();
        return x;
    });
    session.DefineFunction("clone", [&session](double x) {
        Session clone = session;
        return x;
    });
    session.DefineFunction("overwrite", [&session, &copy](double x) {
        session = copy;
        return x;
    });
    session.SetVariable("x", "1");
    for (const char* line : {"meddle(x)", "wipe(x)", "clone(x)", "overwrite(x)"})
        EXPECT_THROW(session.Evaluate(line), std::logic_error) << line;
    EXPECT_EQ(session.Variables(), (Variables{{"x", "1"}}));
}

// Each thread runs lines that go through the caches and counters evaluation
// writes: lookups of functions and operators, numbers remembered, lists
// mapped, variables created. Under ThreadSanitizer a shared one is a race.
TEST(Sessions, EvaluateOnTwoThreadsAtOnce) {
    const auto run = [](int seed, std::string& last) {
        Session session = Session::Console();
        session.DefineFunction("twice", [seed](double x) { return 2 * x + seed; });
        session.SetVariable("x", "0");
        for (int i = 0; i < 300; ++i) {
            session.Evaluate("x=x+1");
            session.Evaluate("v" + std::to_string(i) + "=twice(zurp)+sin(x)*0");
            session.Evaluate("s=\"n\".x");
        }
        last = session.Evaluate("twice(x).s");
    };
    std::string first;
    std::string second;
    std::thread one(run, 1, std::ref(first));
    std::thread two(run, 2, std::ref(second));
    one.join();
    two.join();
    EXPECT_EQ(first, "\"601.n300\"");
    EXPECT_EQ(second, "\"602.n300\"");
}

// Interrupt may come before the evaluation starts, which ignores it: so it
// comes again and again until the evaluation ends.
TEST(Sessions, StopWhenInterruptedFromAnotherThread) {
    Session session;
    // Each list holds the one before twice: 2^40 elements in all.
    session.SetVariable("x0", "{1}");
    for (int i = 1; i <= 40; ++i) {
        const std::string before = "x" + std::to_string(i - 1);
        session.SetVariable("x" + std::to_string(i), "{" + before + "," + before + "}");
    }
    std::atomic<bool> done = false;
    std::thread interrupter([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            session.Interrupt();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Result(session, "y=x40*2"), "failure: Interrupted.");
    done = true;
    interrupter.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Result(session, "x1*2"), "{{2},{2}}");  // the next evaluation starts afresh
}

TEST(HostFunctions, BehaveLikeTheBuiltInOnes) {
    Session session;
    session.DefineFunction("Half", [](double x) { return x / 2; });
    session.DefineValueFunction("shout", [](const std::string& value) {
        if (value.empty() || value[0] != '"')
            throw expreval::Exception("Shout requires a string.");
        return value.substr(0, value.size() - 1) + "!\"";
    });
    session.SetVariable("list", "{1,list2}");
    session.SetVariable("list2", "{2,4}");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"half(3)", "1.5"},
        {"HALF(4)", "2."},  // written by NumberToText, as sin's results are
        {"half(list)", "{0.5,{1.,2.}}"},
        {"1+half(2)*3", "4."},
        {"2half(4)", "4."},  // a call after a number multiplies
        {"half(half(8))", "2."},
        {"half(\"a\")", "failure: Function does not support strings."},
        {"half({1,\"a\"})", "failure: Function does not support strings."},
        {"shout(\"hey\".\"you\")", "\"heyyou!\""},
        {"shout({1})", "failure: Shout requires a string."},
        {"y=shout(\"a\")", "\"a!\""},
        {"halve(1)", "failure: Variable halve does not exist."},
        {"half", "failure: Variable half does not exist."},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(Result(session, expression), expected) << expression;
    // A chain of calls past the nesting bound is refused before it runs.
    std::string chain = "1";
    for (int i = 0; i < 1001; ++i)
        chain = "half(" + chain + ")";
    EXPECT_EQ(Result(session, chain), "failure: Expression nested too deeply.");
    Session other;
    EXPECT_EQ(Result(other, "half(2)"), "failure: Variable half does not exist.");
}

TEST(HostFunctions, FailuresOfTheirOwnReachTheHost) {
    Session session;
    session.DefineFunction("boom", [](double x) -> double {
        if (x > 1)
            throw std::runtime_error("host failure");
        return x;
    });
    session.DefineValueFunction("junk", [](const std::string& value) { return value + "+1"; });
    EXPECT_EQ(Result(session, "x=1"), "1");
    EXPECT_THROW(session.Evaluate("y=boom(2)"), std::runtime_error);
    EXPECT_EQ(Result(session, "x=boom(x)+1"), "2.");  // intact after it
    EXPECT_EQ(session.Variables(), (Variables{{"x", "2."}}));
    EXPECT_EQ(Result(session, "junk(2)"), "failure: Function junk returned an invalid value.");
    for (const char* name : {"sin", "Cos", "", "2f", "f-1"})
        EXPECT_THROW(session.DefineFunction(name, [](double x) { return x; }),
                     std::invalid_argument)
            << name;
    EXPECT_THROW(session.DefineFunction("f", nullptr), std::invalid_argument);
    // A definition while the session evaluates would change what it is calling.
    session.DefineFunction("redefine", [&session](double x) {
        session.DefineFunction("boom", [](double y) { return y; });
        return x;
    });
    EXPECT_THROW(session.Evaluate("redefine(1)"), std::logic_error);
    EXPECT_THROW(session.Evaluate("boom(3)"), std::runtime_error);
}

}  // namespace
