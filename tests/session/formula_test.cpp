#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "eval/road.h"
#include "expreval/session.h"
#include "session/session.h"

namespace expreval {
namespace {

// Whether f throws.
template <typename F>
bool Throws(F f) {
    try {
        f();
    } catch (const std::exception&) {
        return true;
    }
    return false;
}

// The value f gives, or its failure's message marked as one.
template <typename F>
std::string ValueOrFailure(F f) {
    try {
        return f();
    } catch (const Exception& e) {
        return "failed: " + e.message;
    }
}

// A formula evaluated twice in a row gives what Evaluate of its text gives,
// result or message, with the same effects. A list's element can assign
// (l={a.=1}), also where the formula reads as numbers alone (2*l).
TEST(Formula, EvaluatesAsItsText) {
    const std::vector<std::string> texts = {
        "1+2*3", "a=a+1", "x.\"s\"", "sin(a)*2", "{1,2}*a", "(a=7)+2$",
        "1+",    "q",     "-",       "b=2b",     "2*l",
    };
    for (const std::string& text : texts) {
        Session byText;
        Session byFormula;
        for (Session* session : {&byText, &byFormula}) {
            session->SetVariable("a", "1");
            session->Evaluate("l={a.=1}");
        }
        const Formula formula = byFormula.Compile(text);
        for (int round = 0; round < 2; ++round) {
            const std::string expected = ValueOrFailure([&] { return byText.Evaluate(text); });
            const std::string got = ValueOrFailure([&] { return byFormula.Evaluate(formula); });
            EXPECT_EQ(got, expected) << text;
            EXPECT_EQ(byFormula.Variables(), byText.Variables()) << text;
        }
    }
}

std::string Repeat(const std::string& unit, int times, const std::string& joint) {
    std::string text = unit;
    for (int i = 1; i < times; ++i)
        text += joint + unit;
    return text;
}

TEST(Formula, TellsItsNamesAndWhetherItScans) {
    Session session;
    session.DefineFunction("f", [](double x) { return x; });
    const Formula formula = session.Compile("A*sin(b+f(c))+a+F(2)");
    EXPECT_EQ(formula.VariableNames(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(formula.FunctionNames(), (std::vector<std::string>{"sin", "f"}));
    EXPECT_EQ(formula.SyntaxError(), "");
    // A list's elements are read where an operation takes it apart.
    const Formula list = session.Compile("{d,f(e)}*2+d");
    EXPECT_EQ(list.VariableNames(), (std::vector<std::string>{"d", "e"}));
    EXPECT_EQ(list.FunctionNames(), std::vector<std::string>{"f"});
    EXPECT_EQ(session.Compile("(a=1)+2$").SyntaxError(), "Operator $ does not exist.");
    EXPECT_EQ(session.Compile("sin(1").SyntaxError(), "Parameter list not closed.");
    // Names are told down to the deepest level evaluation reaches, and a
    // text nested far deeper compiles without using up the stack.
    for (const int depth : {999, 1000, 200'000}) {
        const std::string text = Repeat("sin(", depth, "") + "x" + std::string(depth, ')');
        const Formula deep = session.Compile(text);
        EXPECT_EQ(deep.VariableNames().size(), depth < 1000 ? 1U : 0U) << depth;
        EXPECT_EQ(deep.FunctionNames(), std::vector<std::string>{"sin"}) << depth;
    }
}

// Which names before "(" are calls depends on the session's functions: a
// formula evaluated where they differ gives what its text gives there.
TEST(Formula, FollowsTheFunctionsOfTheSessionEvaluating) {
    Session compiling;
    compiling.DefineFunction("g", [](double x) { return x + 1; });
    const Formula formula = compiling.Compile("g(2)");
    Session other;
    other.SetVariable("g", "10");
    EXPECT_EQ(compiling.Evaluate(formula), "3.");
    EXPECT_EQ(other.Evaluate(formula), "20");
    // A session with a function of that name calls its own, also once the
    // compiling session is gone.
    auto gone = std::make_unique<Session>();
    gone->DefineFunction("g", [](double x) { return x * 2; });
    const Formula orphan = gone->Compile("g(2)");
    Session copy = *gone;
    Session third;
    third.DefineFunction("g", [](double x) { return x * 3; });
    gone.reset();
    EXPECT_EQ(copy.Evaluate(orphan), "4.");
    EXPECT_EQ(third.Evaluate(orphan), "6.");
    // A function defined after a formula was evaluated is seen by the next
    // evaluation, in the compiling session and in one with the same names.
    const Formula both = compiling.Compile("g(2)+h(3)");
    Session same = compiling;
    for (Session* session : {&compiling, &same}) {
        session->SetVariable("h", "10");
        EXPECT_EQ(session->Evaluate(both), "33.");
        session->DefineFunction("h", [](double x) { return -x; });
        EXPECT_EQ(session->Evaluate(both), "0.");
    }
}

// One formula evaluated on several threads at once, each in its own session.
TEST(Formula, SharedByThreads) {
    const Formula formula = Session().Compile("x=x+1;x*2");
    const Formula sum = Session().Compile("n=n+1+sin(0)");
    // Each session calls its own function of that name.
    Session compiling;
    compiling.DefineFunction(
        "f", [](double x) { return x; }, Session::Purity::kPure);
    const Formula numbers = compiling.Compile("f(a)*2+1");
    std::vector<std::thread> threads;
    std::vector<std::string> results(4);
    std::vector<double> totals(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&sum, &numbers, &results, &totals, t] {
            Session session;
            session.SetVariable("n", 0.0);
            session.DefineFunction(
                "f", [t](double x) { return x * t; }, Session::Purity::kPure);
            for (int i = 0; i < 200; ++i) {
                session.Evaluate(sum);
                session.SetVariable("a", i);
                totals[t] += session.EvaluateNumber(numbers);
            }
            results[t] = *session.Variable("n");
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& result : results)
        EXPECT_EQ(result, "200.");
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(totals[t], 200 + 2 * t * (199 * 200 / 2));
    EXPECT_EQ(formula.SyntaxError(), "Operator ; does not exist.");
}

// The guide's hostile texts, compiled once and evaluated again and again
// under limits, fail as Evaluate of the text does, with the same effects.
TEST(Formula, HostileTextsFailAsTheirTexts) {
    Limits limits;
    limits.maxTextLength = 100'000;
    limits.maxValueSize = 10'000;
    limits.maxNesting = 200;
    limits.maxSteps = 5'000;
    std::string deep;
    for (int i = 0; i < 300; ++i)
        deep += "sin(";
    deep += "1" + std::string(300, ')');
    const std::vector<std::string> texts = {
        Repeat("\"ab\"", 6000, "+"), deep, "x=x+x", "y*2", Repeat("1", 20'000, "+"),
        std::string(100'001, '1')};
    for (const std::string& text : texts) {
        Session byText(limits);
        Session byFormula(limits);
        for (Session* session : {&byText, &byFormula}) {
            session->Evaluate("x={1,2,3,4,5,6,7,8}");
            session->Evaluate("y={1,y}");
        }
        std::string compileFailure;
        std::optional<Formula> formula;
        try {
            formula = byFormula.Compile(text);
        } catch (const Exception& failure) {
            compileFailure = failure.message;
        }
        for (int round = 0; round < 12; ++round) {
            std::string expected;
            std::string got = compileFailure;
            try {
                expected = byText.Evaluate(text);
            } catch (const Exception& failure) {
                expected = failure.message;
            }
            if (formula) {
                try {
                    got = byFormula.Evaluate(*formula);
                } catch (const Exception& failure) {
                    got = failure.message;
                }
            }
            EXPECT_EQ(got, expected) << text.substr(0, 20);
            EXPECT_EQ(byFormula.Variables(), byText.Variables()) << text.substr(0, 20);
        }
    }
}

TEST(Formula, NumbersInAndOut) {
    Session session;
    session.SetVariable("x", 2.5);
    EXPECT_EQ(session.Variable("x"), "2.5");
    session.SetVariable("y", 1e20);
    EXPECT_EQ(session.Variable("y"), "1.e+020");
    EXPECT_DOUBLE_EQ(session.EvaluateNumber("x*2"), 5.0);
    // 1.#INF reads as 1; the number it stands for is what a host gets.
    EXPECT_EQ(session.EvaluateNumber("1e308*10"), HUGE_VAL);
    EXPECT_EQ(session.EvaluateNumber("-1e308*10"), -HUGE_VAL);
    EXPECT_THROW(session.EvaluateNumber("\"s\""), Exception);
    EXPECT_THROW(session.EvaluateNumber("{1}"), Exception);
}

// A random formula of numbers alone, of about `depth` levels.
std::string RandomNumbersFormula(std::mt19937& random, int depth) {
    static const std::vector<std::string> kLeaves = {"1",         "2",   "7", "0.5", "2.50", "-3",
                                                     "123456789", "0.1", "a", "b",   "c"};
    static const std::vector<std::string> kOperators = {
        "+", "-", "*", "/", "%", "<", "<=", ">", ">=", "==", "!=", "&&", "||"};
    static const std::vector<std::string> kFunctions = {"sin", "cos", "sin", "log"};
    const auto pick = [&random](const std::vector<std::string>& from) {
        return from[random() % from.size()];
    };
    if (depth == 0 || random() % 4 == 0)
        return pick(kLeaves);
    switch (random() % 4) {
        case 0:
            return pick(kFunctions) + "(" + RandomNumbersFormula(random, depth - 1) + ")";
        case 1:
            return "(" + RandomNumbersFormula(random, depth - 1) + ")";
        default:
            return RandomNumbersFormula(random, depth - 1) + pick(kOperators) +
                   RandomNumbersFormula(random, depth - 1);
    }
}

// Compiled once and evaluated for value after value, a formula of numbers
// alone gives what its text gives each time.
TEST(Formula, RandomNumbersFormulasAsTheirTexts) {
    std::mt19937 random(2026);
    // Few values make a formula fail: one that fails at every value tells
    // nothing of its number form.
    const std::vector<double> values = {1, -2, 0.5, 3, 2e13, 0.1, 1.0 / 3, -0.75, 7, 12};
    for (int n = 0; n < 300; ++n) {
        const std::string text = RandomNumbersFormula(random, 4);
        Session byText;
        Session byFormula;
        const Formula formula = byFormula.Compile(text);
        for (int round = 0; round < 12; ++round) {
            for (const char* name : {"a", "b", "c"}) {
                const double value = values[random() % values.size()];
                byText.SetVariable(name, value);
                byFormula.SetVariable(name, value);
            }
            const std::string expected = ValueOrFailure([&] { return byText.Evaluate(text); });
            const std::string got = ValueOrFailure([&] { return byFormula.Evaluate(formula); });
            ASSERT_EQ(got, expected) << text << " round " << round;
        }
    }
}

// A number set again is held as a double until its text is read: every
// reading, after assignments of other values too, gives what setting it
// afresh gives.
TEST(Formula, NumbersSetAgainAsSetAfresh) {
    Session held;
    Session afresh;
    held.SetVariable("x", 1.0);
    const std::vector<std::string> steps = {"x=\"s\"", "x=x", "x={1}", "2.5", "2.5",
                                            "-0",      "0",   "1e20",  "x=7", "0.30000000000000004",
                                            "2.5"};
    for (const std::string& step : steps) {
        if (step.rfind("x=", 0) == 0) {
            EXPECT_EQ(held.Evaluate(step), afresh.Evaluate(step)) << step;
        } else {
            const double value = std::stod(step);
            afresh.RemoveVariable("x");
            EXPECT_EQ(Throws([&] { held.SetVariable("X", value); }),
                      Throws([&] { afresh.SetVariable("X", value); }))
                << step;
        }
        EXPECT_EQ(held.Variable("x"), afresh.Variable("x")) << step;
        EXPECT_EQ(Session(held).Evaluate("x.1"), afresh.Evaluate("x.1")) << step;
        EXPECT_EQ(held.Variables(), afresh.Variables()) << step;
    }
    EXPECT_TRUE(Throws([&] { held.SetVariable("x", HUGE_VAL); }));
    EXPECT_EQ(held.Variable("x"), "2.5");
    double bound = 4;
    held.BindVariable("x", &bound);
    EXPECT_EQ(held.Evaluate("x"), "4.");
}

// A bound double is read at every evaluation and written back by an
// assignment of a number; a string assigned ends the binding.
TEST(Formula, BoundVariable) {
    Session session;
    double t = 1;
    session.BindVariable("T", &t);
    const Formula formula = session.Compile("t*10");
    EXPECT_EQ(session.EvaluateNumber(formula), 10);
    t = 4.25;
    EXPECT_EQ(session.Evaluate(formula), "42.5");
    session.Evaluate("t=t+0.5");
    EXPECT_EQ(t, 4.75);
    // Read, never written back unless assigned: its digits past the
    // fourteenth stay the host's.
    t = 0.1234567890123456;
    EXPECT_EQ(session.Evaluate("t"), "0.12345678901235");
    EXPECT_EQ(t, 0.1234567890123456);
    Session copy = session;
    t = 2;
    EXPECT_EQ(copy.Evaluate("t+1"), "3.");
    session.Evaluate("t=\"x\"");
    t = 8;
    EXPECT_EQ(session.Variable("t"), "\"x\"");
    EXPECT_EQ(session.Evaluate("t"), "\"x\"");
    // So does a string the host sets, at once.
    copy.SetVariable("t", "\"y\"");
    t = 9;
    EXPECT_EQ(copy.Evaluate("t"), "\"y\"");
}

// A number given to a bound variable, by an evaluation or by the host, is
// written to the double; the host setting the double back to what it held
// before is then read like any change, never the value given.
TEST(Formula, BoundVariableSetBack) {
    const std::vector<std::function<void(Session&)>> settings = {
        [](Session& s) { s.Evaluate("t=2"); },
        [](Session& s) { s.Evaluate("(t=2)+(t+=1)"); },
        [](Session& s) { s.Evaluate("(t=2)+(t=3)"); },
        [](Session& s) { s.SetVariable("t", 2.5); },
        [](Session& s) { s.SetVariable("t", "4"); },
    };
    for (size_t i = 0; i < settings.size(); ++i) {
        for (const double before : {5.0, HUGE_VAL}) {
            SCOPED_TRACE(testing::Message() << "setting " << i << ", before " << before);
            Session session;
            double t = 5;
            session.BindVariable("t", &t);
            t = before;
            const Formula formula = session.Compile("t*1");
            settings[i](session);
            EXPECT_NE(t, before);
            t = before;
            if (before == 5) {
                EXPECT_EQ(session.Evaluate("t"), "5.");
                EXPECT_EQ(session.Variable("t"), "5.");
                EXPECT_EQ(session.EvaluateNumber(formula), 5);
            } else {
                EXPECT_THROW(session.Evaluate("t"), Exception);
                EXPECT_THROW(session.EvaluateNumber(formula), Exception);
            }
        }
    }
    // The value is then the double's text, whatever the double held before.
    for (const double before : {7.0, 3.0}) {
        Session session;
        double t = before;
        session.BindVariable("t", &t);
        session.Evaluate("t=7");
        EXPECT_EQ(session.Evaluate("t.\"x\""), "\"7.x\"") << before;
    }
    // Variables that join, or another bound one that leaves, keep the
    // binding where it is.
    Session session;
    double a = 1;
    double b = 2;
    session.BindVariable("a", &a);
    session.BindVariable("b", &b);
    session.Evaluate("(c=1)+(a=3)");
    session.RemoveVariable("b");
    session.Evaluate("(d=1)+(a=4)");
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 2);
}

// A bound double that no value text holds fails wherever it is read, rather
// than reading as 1 ("1.#INF" does), and is read again once it holds a
// number.
TEST(Formula, BoundToNoNumber) {
    Session session;
    double a = 1;
    session.BindVariable("a", &a);
    const Formula formula = session.Compile("a+1");
    for (const double value : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        a = value;
        EXPECT_THROW(session.Evaluate("a+1"), Exception);
        EXPECT_THROW(session.Evaluate("a"), Exception);
        EXPECT_THROW(session.Evaluate(formula), Exception);
        EXPECT_THROW(session.EvaluateNumber(formula), Exception);
    }
    EXPECT_EQ(ValueOrFailure([&] { return session.Evaluate("2*a"); }),
              "failed: Variable a is bound to an infinity or a not-a-number.");
    a = 3;
    EXPECT_EQ(session.Evaluate(formula), "4.");
    // A refused binding leaves the one before it in place.
    double infinite = HUGE_VAL;
    EXPECT_THROW(session.BindVariable("a", &infinite), std::invalid_argument);
    EXPECT_THROW(session.BindVariable("2a", &a), std::invalid_argument);
    a = 5;
    EXPECT_EQ(session.Evaluate(formula), "6.");
}

// A formula of numbers alone runs on doubles: for every value of a, text or
// bound double, it gives what its text gives, number and text, run after
// run, including where the values make it fail or leave plain numbers.
TEST(Formula, OfNumbersAloneAsItsText) {
    const std::vector<std::string> texts = {"a+b*c",
                                            "a/b",
                                            "7/b",
                                            "a%3",
                                            "(a+1)/2",
                                            "a/2.0",
                                            "2a-c",
                                            "a-b-c",
                                            "sin(a)*b",
                                            "sin(2.0*a)+cos(3.14159265/b)",
                                            "log(a)*b+log(c)",
                                            "1/(a-a)",
                                            "tan(a)/a",
                                            "sin(cos(sin(a)))*2",
                                            "99999999999999*a",
                                            "a*a*a*a*a*a*a",
                                            "1e2*a",
                                            "a/e1",
                                            "sin(a)",
                                            "(a<b)*(a*b)+(a>=b)*(a+b)",
                                            "a==b",
                                            "(a!=7)/2",
                                            "a<=b||a>c&&1",
                                            "(a>b)-(a<c)"};
    const std::vector<std::string> values = {"1",     "2",   "0",       "-3",
                                             "0.1",   "1.5", "1.e+020", "\"s\"",
                                             "{1,2}", "7",   "inf",     "123456.78901234"};
    for (const std::string& text : texts) {
        Session byText;
        Session byFormula;
        for (Session* session : {&byText, &byFormula}) {
            session->SetVariable("b", "2");
            session->SetVariable("c", "0.3");
            session->SetVariable("e1", "4");
        }
        const Formula formula = byFormula.Compile(text);
        double bound[2] = {0, 0};
        for (const std::string& value : values) {
            for (int binding = 0; binding < 2; ++binding) {
                // A bound double holds numbers alone; infinity no text can.
                if ((binding == 1 && (value[0] == '"' || value[0] == '{' || value[1] == '.')) ||
                    (binding == 0 && value == "inf"))
                    continue;
                int i = 0;
                for (Session* session : {&byText, &byFormula}) {
                    if (binding == 1) {
                        bound[i] = 0;  // a double no text can hold is refused when bound
                        session->BindVariable("a", &bound[i]);
                        bound[i++] = std::stod(value);
                    } else {
                        session->BindVariable("a", nullptr);
                        session->SetVariable("a", value);
                    }
                }
                const std::string expected = ValueOrFailure([&] { return byText.Evaluate(text); });
                for (int round = 0; round < 2; ++round) {
                    std::string got;
                    try {
                        got = byFormula.Evaluate(formula);
                        if (got[0] != '"' && got[0] != '{') {
                            EXPECT_EQ(byFormula.EvaluateNumber(formula),
                                      byText.EvaluateNumber(text))
                                << text << " with a = " << value;
                        }
                    } catch (const Exception& e) {
                        got = "failed: " + e.message;
                    }
                    EXPECT_EQ(got, expected) << text << " with a = " << value;
                }
            }
        }
    }
}

// Pure host functions let a formula run on doubles; the host's other
// functions, and pure ones where doubles do not do, as the text. Each is
// defined twice, pure and not, so the same texts try both.
void DefineHostFunctions(Session& session, Session::Purity purity) {
    session.DefineFunction(
        "sq", [](double x) { return x * x; }, purity);
    session.DefineFunction(
        "inv", [](double x) { return 1 / x; }, purity);
    session.DefineFunction(
        "root",
        [](double x) {
            if (x < 0)
                throw Exception("No root.");
            return std::sqrt(x);
        },
        purity);
    session.DefineFunction(
        "hyp", 2, [](const std::vector<double>& v) { return std::hypot(v[0], v[1]); }, purity);
    session.DefineFunction(
        "sum", Session::kVariadic,
        [](const std::vector<double>& v) {
            double sum = 0;
            for (const double x : v)
                sum += x;
            return sum;
        },
        purity);
    session.DefineFunction(
        "one", 0, [](const std::vector<double>&) { return 1.5; }, purity);
}

TEST(Formula, PureHostFunctionsAsTheirTexts) {
    const std::vector<std::string> texts = {
        "sq(a)*b",    "hyp(a,b)+sq(c)", "sum()+sum(a)+sum(a,b,c)*2",
        "one()*a",    "sq(sq(a))",      "sin(sq(a))+1",
        "sq(sin(a))", "inv(a-a)+1",     "inv(a)*2",
        "root(a)-b",  "sq(a,b)",        "hyp(a)",
        "sq()",       "hyp(a,{1})",     "sq(a)+q",
        "sum(a,,b)",  "sq(a",           "hyp((a,b),c)",
        "sq(a=2)*a",  "hyp(a,sq(b))/c"};
    const std::vector<std::string> values = {"1", "-2", "0", "1e200", "0.1", "\"s\"", "{1,2}"};
    for (const std::string& text : texts) {
        Session byText;
        Session byFormula;
        DefineHostFunctions(byText, Session::Purity::kMayHaveEffects);
        DefineHostFunctions(byFormula, Session::Purity::kPure);
        for (Session* session : {&byText, &byFormula}) {
            session->SetVariable("b", "2");
            session->SetVariable("c", "0.3");
        }
        const Formula formula = byFormula.Compile(text);
        for (const std::string& value : values) {
            byText.SetVariable("a", value);
            byFormula.SetVariable("a", value);
            for (int round = 0; round < 2; ++round) {
                const std::string expected = ValueOrFailure([&] { return byText.Evaluate(text); });
                EXPECT_EQ(ValueOrFailure([&] { return byFormula.Evaluate(formula); }), expected)
                    << text << " with a = " << value;
                EXPECT_EQ(byFormula.Variables(), byText.Variables()) << text;
                if (expected.rfind("failed", 0) != 0 && expected[0] != '"' && expected[0] != '{') {
                    EXPECT_EQ(byFormula.EvaluateNumber(formula), byText.EvaluateNumber(text))
                        << text << " with a = " << value;
                }
            }
        }
    }
}

// A function that may have effects is called as often as the text calls it,
// whichever session compiled the formula, and once one of that name is
// defined again.
TEST(Formula, HostFunctionsWithEffectsCalledAsWritten) {
    int calls = 0;
    const auto counted = [&calls](double x) {
        ++calls;
        return x + 1;
    };
    Session pure;
    pure.DefineFunction("f", counted, Session::Purity::kPure);
    // Doubles give way to the program after two calls, at the division.
    const Formula formula = pure.Compile("f(1)*f(2)+f(1/(a-a))");
    Session other;
    other.DefineFunction("f", counted);
    pure.DefineFunction("f", counted);
    for (Session* session : {&other, &pure}) {
        session->SetVariable("a", 1.0);
        for (int round = 0; round < 2; ++round) {
            calls = 0;
            EXPECT_EQ(ValueOrFailure([&] { return session->Evaluate(formula); }),
                      "failed: Division by 0 is not allowed.");
            EXPECT_EQ(calls, 2);
        }
    }
}

// An interrupt that comes during a pure function's call (here from the
// function itself, standing for another thread during a long call) ends
// the evaluation on doubles, whatever follows the call; a host's own
// exception goes on up as it does from the text.
TEST(Formula, PureHostFunctionsInterruptedOrThrowing) {
    Session session;
    SetRoad(session, Road::kFast);
    session.DefineFunction(
        "stop",
        [&session](double x) {
            session.Interrupt();
            return x;
        },
        Session::Purity::kPure);
    session.DefineFunction(
        "bad", [](double) -> double { throw std::runtime_error("host"); }, Session::Purity::kPure);
    for (const std::string text : {"stop(1)", "stop(1)+2", "2*stop(3)"}) {
        const Formula formula = session.Compile(text);
        EXPECT_EQ(ValueOrFailure([&] { return session.Evaluate(formula); }),
                  "failed: Interrupted.");
    }
    const Formula formula = session.Compile("bad(1)+1");
    EXPECT_THROW(session.Evaluate(formula), std::runtime_error);
    EXPECT_THROW(session.EvaluateNumber(formula), std::runtime_error);
    // The text applies / before it calls bad: its failure is the answer.
    const Formula first = session.Compile("bad(1)+1/0");
    EXPECT_EQ(ValueOrFailure([&] { return session.Evaluate(first); }),
              "failed: Division by 0 is not allowed.");
    EXPECT_EQ(session.Evaluate("1+1"), "2");  // the session evaluates again
}

}  // namespace
}  // namespace expreval
