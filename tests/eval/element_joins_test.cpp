// A chain of joins of a list's elements, gathered and applied at once, must
// give what applying its joins one by one gives, and wherever a join would
// not keep that law, it must be applied as it stands.
#include "eval/element_joins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expreval/session.h"
#include "support/evaluation.h"

namespace expreval {
namespace {

using testing::FailureOf;
using testing::WithBuiltInTables;

using ElementJoinsTest = WithBuiltInTables;

// A list and the joins after it, each an operator and its right operand,
// written so that the line scans into the same operands as the joins one by
// one (a number with no point of its own stands in a group).
struct Chain {
    const char* list;
    std::vector<const char*> joins;
};

std::string ChainLine(const Chain& chain) {
    std::string line = chain.list;
    for (const char* join : chain.joins)
        line += join;
    return line;
}

// One join per evaluation, on a variable, which is never gathered.
std::string OneByOne(const Chain& chain) {
    try {
        StoreGlobal("acc", Evaluate(chain.list));
        for (const char* join : chain.joins)
            StoreGlobal("acc", Evaluate(std::string("acc") + join));
        return Evaluate("acc");
    } catch (const Exception& failure) {
        return failure.message;
    }
}

std::string ValueOrFailure(const std::string& line) {
    const std::string failure = FailureOf(line);
    return failure.rfind("no failure, result ", 0) == 0 ? Evaluate(line) : failure;
}

TEST_F(ElementJoinsTest, AGatheredChainGivesWhatItsJoinsGiveOneByOne) {
    const Chain chains[] = {
        {"{1,2}", {".1.1", ".1.1", ".(1)", ".1.1", ".5.", ".(007)"}},
        {"{1.5,-2,0.}", {".(5)", ".5.7", ".(2)", ".3.0"}},
        {"{1,2}", {".1.5", ".(2)", ".3.5", "-(1)", ".4.5", ".5.5"}},
        {"{\"a\",2,1.5}", {"+\"b\"", "+\"c,d\"", ".\"e\"", ".\"f\""}},
        {"{\"a,b\",1}", {".\"x\"", ".1.5", ".2.5", ".\"y\""}},
        {"{\"a\",1}", {".1.5", ".2.5", ".(3)"}},
        {"{1,2}", {".\"a\"", ".\"b\"", ".(1)", ".(2)"}},
        {"{1,2}", {"+(1)", "+(2)", "+\"s\"", "+\"t\""}},
        {"{1,2}", {".\"\"", ".\"\"", ".(1)"}},
        // Joins that cannot be gathered, among ones that can.
        {"{1e5,2}", {".(1)", ".(2)"}},
        {"{{1},2}", {".(1)", ".(2)"}},
        {"{\"x\\\"y\",1}", {".\"a\"", ".\"b\""}},
        {"{\"a\",1}", {".\"x\\\"y\"", ".\"c,d\"", ".\"e\""}},
        {"{-5,1}", {".(-3)", ".(-3)", ".(1)"}},
        {"{1,2}", {".(1e5)", ".(1)", ".(1e300*1e300)", ".(1)"}},
        {"{1,}", {".(1)", ".(2)"}},
        {"{}", {".(1)", ".(2)"}},
        {"{1,2}", {".zurp", ".(1)"}},
    };
    for (const Chain& chain : chains) {
        const std::string line = ChainLine(chain);
        const std::string expected = OneByOne(chain);
        EXPECT_EQ(ValueOrFailure(line), expected) << line;
        EXPECT_EQ(ValueOrFailure("(" + line + ")"), expected) << line;
        if (expected[0] == '{') {
            EXPECT_EQ(Evaluate("\"q\".(" + line + ")"), Evaluate("\"q\".acc")) << line;
        }
    }
}

// What gathered joins wait for is applied before anything else meets them,
// and the failures the one-by-one joins would meet are met.
TEST_F(ElementJoinsTest, GatheredJoinsAreAppliedBeforeAnythingMeetsThem) {
    EXPECT_EQ(Evaluate("(xj={1,2}.1.1)+1"), "{12.1,22.1}");
    EXPECT_EQ(Evaluate("xj"), "{11.1,21.1}");
    EXPECT_EQ(Evaluate("{1,2}.1.1==\"11.1\""), "{1,0}");
    EXPECT_EQ(FailureOf("{1,2}.1.1-{1}"), "Operation does not support two lists.");
    EXPECT_EQ(FailureOf("{1,2}.1.1+-x"), "Negative sign missing number.");
    EXPECT_EQ(FailureOf("{\"a\"}+\"b\"*2"), "Operation does not support strings.");
}

// Under a limit on values the join that passes it fails, before anything
// after it happens.
TEST_F(ElementJoinsTest, UnderALimitOnValuesEveryJoinIsChecked) {
    Limits limits;
    limits.maxValueSize = 12;
    Session session(limits);
    const auto failureOf = [&session](const std::string& line) -> std::string {
        try {
            return "no failure, result " + session.Evaluate(line);
        } catch (const Exception& failure) {
            return failure.message;
        }
    };
    EXPECT_EQ(failureOf("{1,2}.1.1.1.1.1.1.(zv=5)"), "Value too large.");
    EXPECT_EQ(failureOf("zv"), "Variable zv does not exist.");
    EXPECT_EQ(session.Evaluate("{1,2}.1.1"), "{11.1,21.1}");
}

}  // namespace
}  // namespace expreval
