#include "value/settled.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eval/evaluate.h"
#include "eval/whole_value.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "support/tables.h"

namespace expreval {
namespace {

// Texts that evaluate to themselves, and results that do not, each of a kind
// a join can build: a list holding a list, a string with an inner quote or a
// backslash, quotes that leave the rest of a list outside them, white space
// or capitals the rewrite would change, and number texts that are no token.
const std::vector<std::string> kTexts = {"\"ab\"",
                                         "\"\"",
                                         "\"A b\"",
                                         "\"a\\\"b\"",
                                         "\"a\"b\"",
                                         "\"a\\\\\"",
                                         "\"\\\"",
                                         "{1,2}",
                                         "{}",
                                         "{,}",
                                         "{\"a\",\"b c\"}",
                                         "{1,{2}}",
                                         "{{1}",
                                         "{\"}\"}",
                                         "{\"a}",
                                         "{\"A\",B}",
                                         "{1, 2}",
                                         "{1,\"x\"y\"}",
                                         "5",
                                         "-5",
                                         "007",
                                         "5.",
                                         "-.5",
                                         "1.5",
                                         "1e5",
                                         "1.5e-007",
                                         "-5-3",
                                         "1.#INF",
                                         "-1.#IND",
                                         "12-3",
                                         "1.2.3",
                                         "-",
                                         "x",
                                         "sin(1)",
                                         "\"ab",
                                         "{1",
                                         "\"ab\"x",
                                         "{1}{2}"};

// The one promise: a form says the text evaluates to itself.
TEST(Settled, ClaimsOnlyTextsThatEvaluateToThemselves) {
    UseBuiltInTables();
    for (const std::string& text : kTexts) {
        if (ClassifySettled(text) == Settled::kUnknown)
            continue;
        EXPECT_TRUE(IsWholeValue(text)) << text;
        EXPECT_EQ(EvaluateOnStacks(TestContext(), text), text) << text;
    }
    for (const char* text : {"{1,{2}}", "\"a\"b\"", "-5-3", "1.#INF", "\"a\\\"b\"", "{\"a}",
                             "{1, 2}", "{\"A\",B}", "1e5", "12-3"}) {
        EXPECT_EQ(ClassifySettled(text), Settled::kUnknown) << text;
    }
    for (const char* text : {"\"A b\"", "{\"a\",\"b c\"}", "-.5", "{{1}"})
        EXPECT_NE(ClassifySettled(text), Settled::kUnknown) << text;
}

// What a join tells of its result, knowing only its left form and reading
// the appended part, is what the plain rule says of the whole result; and
// two settled values always join to a settled one.
TEST(Settled, JoinsTellTheFormOfTheWholeResult) {
    UseBuiltInTables();
    for (const std::string& l : kTexts) {
        for (const std::string& r : kTexts) {
            const bool lists = IsList(l) && IsList(r);
            if (!lists && !IsString(l) && !IsString(r))
                continue;
            if (IsList(l) != IsList(r))
                continue;
            OperandValue left{l, ClassifySettled(l)};
            OperandValue right{r, Settled::kUnknown};
            const bool bothSettled =
                left.form != Settled::kUnknown && ClassifySettled(r) != Settled::kUnknown;
            Settled told = Settled::kUnknown;
            const std::string joined =
                JoinValues(left, right, Operand(l, nullptr, left.form, &told));
            if (told != Settled::kUnknown || bothSettled) {
                EXPECT_EQ(told, ClassifySettled(joined)) << l << " with " << r;
            }
        }
    }
}

TEST(Settled, SettledNumberJoinIsTheJoinOfNumbers) {
    for (const char* l : {"12", "-1", "1.5", "5.", "-.5", "007"}) {
        for (const char* r : {"34", "2.5", "-3", "5.", "1e5", ".", "1.#INF", "0.1.2"}) {
            Settled form = Settled::kUnknown;
            const Settled leftForm = ClassifySettled(l);
            const std::string joined =
                JoinSettledNumbers(l, r, leftForm == Settled::kPointNumber, &form);
            EXPECT_EQ(joined, JoinNumbers(l, r)) << l << "." << r;
            EXPECT_EQ(form, ClassifySettled(joined)) << l << "." << r;
        }
    }
}

}  // namespace
}  // namespace expreval
