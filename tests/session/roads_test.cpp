// One program runs a text on either road; the two must agree byte for byte,
// and the setting must reach every evaluation a session nests, or comparing
// them would only compare the fast road with itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "eval/context.h"
#include "eval/road.h"
#include "expreval/session.h"
#include "session/session.h"

namespace expreval {
namespace {

std::string Outcome(Session& session, const std::string& line) {
    try {
        return session.Evaluate(line);
    } catch (const Exception& failure) {
        return "failure: " + failure.message;
    }
}

double RoadNumber(double) {
    return RoadUnderWay() == Road::kReference ? 1 : 0;
}

TEST(Roads, EachSessionNestsOnItsOwnRoad) {
    Session fast;
    Session reference;
    SetRoad(fast, Road::kFast);
    SetRoad(reference, Road::kReference);
    for (Session* session : {&fast, &reference})
        session->DefineFunction("road", RoadNumber);
    EXPECT_EQ(Outcome(fast, "road(1).{road(2)}"), "{0.0}");
    EXPECT_EQ(Outcome(reference, "road(1).{road(2)}"), "{1.1}");
    // A session takes on the program's road, which the environment sets:
    // the reference run of the tests checks the other one.
    Session made;
    made.DefineFunction("road", RoadNumber);
    EXPECT_EQ(Outcome(made, "road(0)"), DefaultRoad() == Road::kReference ? "1." : "0.");
}

// Lines run in turn in one session per road: every answer, every variable
// and the arguments of every call of a host function, in order, must be the
// same. What a line did before it failed stays done, on both roads alike.
TEST(Roads, AgreeOnValuesFailuresAndEffectsInOrder) {
    const std::vector<std::string> lines = {
        "(a=1)+2$",
        "sin(b=1)*2+1$",
        "a+b",
        "c=note(7)*2",
        "{d=2,note(3)}*2$",
        "x=sin(x=1)+cos(x+=1)",
        "(e=1)+note(e)$",
        "(g=5)-(g=g*2)-g",
        "zurp.1.1-{1}",
        // A list whose element comes to hold "}" is no longer read as itself.
        "{1}+\"}\"+\"\"",
        "{1}.\"x\".\"}\".\"y\"",
        // Calls of math functions among numbers.
        "sin(a)*2+cos(b)/3",
        "cos(0)/2+sin(0.5)/2+log(1000)%2",
        "log(0)*2",
        "2-sec(1.5)*csc(note(1))",
        "tan(b)*cot(a)-sin(1e400)",
        // Joins gathered in front of a growing right operand.
        "\"a\".(\"b\".(\"c\".\"d\"))",
        "(1).((2).((3.5).((4.5).(6))))",
        "(-1).((2).(3))",
        "(1).((-2).(3))",
        "(1).((2).(3))+1",
        "\"x\".(1.(2.(3)))",
        "(1).(\"a\".(\"b\"))",
        "\"a\"+(\"b\"+(\"c\".\"d\"))",
        "\"a\".(\"b\".(\"c\"))*2",
        "{1}+({2}.({}.({3}+{\"x,y\"})))",
        "{}.({}+({}.{}))",
        "{1}+({2}.(\"a\"+{3}))",
        "{1}+({{2}}+({3}+{4}))",
        // Joins in front of a list are written before any is gathered
        // behind its elements.
        "{1}+({2}+({3}+{4}))+\"r\"+\"s\"",
        "m={1}.({2}+({3}.zurp))-1",
        // Variables' values gathered: an assignment before they are written
        // must not reach them.
        "w=\"ab\"",
        "w.(w.(w.w))+(w=\"q\")",
        "(w=7).(w.(w.(w.(1.5))))",
        "zurp+(zurp+(zurp+{}))",
        "w.(nowhere.(w.w))",
        "h=\"a\".(\"b\".\"c\")",
        "(-5).(-3)+1",
        "l={1,{2}}+{3}",
        "q=7/2+(r=1.5)*2",
        "sin({1,\"a\"})",
        "s=note(zurp)-1",
        "1 + Note (2) * 3$",
        // Tokens a handler evaluates as the scan found them, or as texts
        // where the rewrite would change them alone.
        "1e\"Ab\"",
        "u=\"a\".note(\"b\")+u",
        // A bound variable whose host's double is an infinity, assigned
        // before it is read in the same line: its value is the one assigned.
        "(inf=1)+inf",
    };
    Session fast = Session::Console();
    Session reference = Session::Console();
    SetRoad(fast, Road::kFast);
    SetRoad(reference, Road::kReference);
    std::vector<std::string> fastNotes;
    std::vector<std::string> referenceNotes;
    fast.DefineValueFunction("note", [&](const std::string& value) {
        fastNotes.push_back(value);
        return value;
    });
    reference.DefineValueFunction("note", [&](const std::string& value) {
        referenceNotes.push_back(value);
        return value;
    });
    double fastInfinity = 0;
    double referenceInfinity = 0;
    fast.BindVariable("inf", &fastInfinity);
    reference.BindVariable("inf", &referenceInfinity);
    fastInfinity = referenceInfinity = std::numeric_limits<double>::infinity();
    for (const std::string& line : lines) {
        EXPECT_EQ(Outcome(fast, line), Outcome(reference, line)) << line;
        EXPECT_EQ(fastNotes, referenceNotes) << line;
    }
    EXPECT_EQ(fast.Variables(), reference.Variables());
}

// Joins nested to the right, whose growing value the fast road gathers in
// front, of literals and variables of every kind, then joined on: random
// lines, on both roads and as formulas.
TEST(Roads, AgreeOnJoinsNestedToTheRight) {
    const std::vector<std::string> units = {
        "s.(",    "l+(",  "n.(",     "\"x\".(", "{1}+(", "(1).(",      "m.(", "(s=\"q\").(",
        "v(s).(", "p.(",  "(1.5).(", "\"a\"+(", "l.(",   "{}.(",       "e.(", "(n=7).(",
        "q.(",    "ll+(", "(-2).(",  "s+(",     "u.(",   "{\"a,b\"}+("};
    const std::vector<std::string> innermost = {"s", "l",  "n", "\"z\"",     "{2}", "3",   "p",
                                                "m", "{}", "e", "(s=\"w\")", "ll",  "1.25"};
    const std::vector<std::string> after = {"", "+(s=\"r\")", "+s", ".n", "==s", "*2", "+(n=1)"};
    Session fast = Session::Console();
    Session reference = Session::Console();
    Session formulas = Session::Console();
    for (Session* session : {&fast, &reference, &formulas}) {
        SetRoad(*session, session == &reference ? Road::kReference : Road::kFast);
        session->DefineValueFunction("v", [](const std::string& value) { return value; });
        for (const char* line :
             {"s=\"ab\"", "l={1,2}", "n=12", "m=-3", "p=1.5", "e=1e5", "q=\"x\\\"y\"", "ll={l,3}"})
            session->Evaluate(line);
    }
    std::mt19937 random(7);
    const auto pick = [&random](const std::vector<std::string>& from) {
        return from[random() % from.size()];
    };
    for (int i = 0; i < 10000; ++i) {
        std::string line;
        const std::size_t depth = 1 + random() % 12;
        for (std::size_t level = 0; level < depth; ++level)
            line += pick(units);
        line += pick(innermost) + std::string(depth, ')') + pick(after);
        const std::string expected = Outcome(reference, line);
        ASSERT_EQ(Outcome(fast, line), expected) << line;
        std::string compiled;
        try {
            compiled = formulas.Evaluate(formulas.Compile(line));
        } catch (const Exception& failure) {
            compiled = "failure: " + failure.message;
        }
        ASSERT_EQ(compiled, expected) << line;
        ASSERT_EQ(fast.Variables(), reference.Variables()) << line;
        ASSERT_EQ(formulas.Variables(), reference.Variables()) << line;
    }
}

// The fewest steps with which a line answers, on a road, evaluated as a
// text or compiled as a formula.
std::uint64_t StepsNeeded(Road road, const std::string& line, bool compiled = false) {
    for (std::uint64_t steps = 1; steps < 400; ++steps) {
        Limits limits;
        limits.maxSteps = steps;
        Session session(limits);
        SetRoad(session, road);
        session.SetVariable("x", "2");
        session.SetVariable("s", "\"ab\"");
        std::string outcome;
        try {
            outcome = compiled ? session.Evaluate(session.Compile(line)) : session.Evaluate(line);
        } catch (const Exception& failure) {
            outcome = "failure: " + failure.message;
        }
        if (outcome.rfind("failure: Evaluation took too long.", 0) != 0)
            return steps;
    }
    return 0;
}

// Every shortcut of the fast road counts the steps its handlers would: a
// budget runs out on the same line at the same count on both roads.
TEST(Roads, SpendTheSameSteps) {
    const std::string longString = "\"" + std::string(9000, 'a') + "\"+(1+2)";
    for (const std::string& line :
         {std::string("1+2*3-x"), std::string("x=x*2+1"), std::string("sin(x)*2+cos(1)/3"),
          std::string("x.1.2"), std::string("s.(\"c\".(\"d\".s))"), std::string("(1).((2).((3)))"),
          std::string("{1,2}.3.4"), std::string("{1}+({2}.({3}+{4}))"),
          std::string("sin(x+1)*log(100)"), std::string("zurp"), std::string("\"a\"+s+\"b\""),
          std::string("t=s.sin(1)"), longString,
          // A value alone is its own value, whichever shortcut looks first.
          std::string("5"), std::string("-2.5e3"), std::string("\"ab\""), std::string("{1,2}"),
          // Lines that fail: trying them on numbers first must cost nothing.
          std::string("-x"), std::string("1+"), std::string("2*(1+"), std::string("{X"),
          std::string("1/0"), std::string(5000, 'y') + "+1 "}) {
        const std::uint64_t reference = StepsNeeded(Road::kReference, line);
        EXPECT_EQ(StepsNeeded(Road::kFast, line), reference) << line;
        EXPECT_EQ(StepsNeeded(Road::kFast, line, true), reference) << line;
    }
}

}  // namespace
}  // namespace expreval
