// One program runs a text on either road; the two must agree byte for byte,
// and the setting must reach every evaluation a session nests, or comparing
// them would only compare the fast road with itself.
#include <gtest/gtest.h>

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
    // A session takes on the default road of the program.
    const Road before = DefaultRoad();
    SetDefaultRoad(Road::kReference);
    Session made;
    SetDefaultRoad(before);
    made.DefineFunction("road", RoadNumber);
    EXPECT_EQ(Outcome(made, "road(0)"), "1.");
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
        "h=\"a\".(\"b\".\"c\")",
        "(-5).(-3)+1",
        "l={1,{2}}+{3}",
        "q=7/2+(r=1.5)*2",
        "sin({1,\"a\"})",
        "s=note(zurp)-1",
        "1 + Note (2) * 3$",
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
    for (const std::string& line : lines) {
        EXPECT_EQ(Outcome(fast, line), Outcome(reference, line)) << line;
        EXPECT_EQ(fastNotes, referenceNotes) << line;
    }
    EXPECT_EQ(fast.Variables(), reference.Variables());
}

}  // namespace
}  // namespace expreval
