#include "console/quiet.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace expreval {
namespace {

// A script saved with CR LF line ends is answered as the same script with LF
// ones: its blank lines are passed over too, not failed as empty
// expressions.
TEST(QuietAnswersTest, LinesEndedByCarriageReturnsAnswerAsOthers) {
    for (const std::string ending : {"\n", "\r\n"}) {
        std::istringstream in("1+1" + ending + ending + "x=2" + ending + ending + "x*3" + ending);
        std::ostringstream out;
        std::ostringstream err;
        Session session;
        QuietAnswers answers(out, err, session, nullptr, false);
        StreamLineSource source(in);
        answers.AnswerLines(source, "");
        EXPECT_EQ(out.str(), "2\n2\n6\n") << ending.size();
        EXPECT_EQ(err.str(), "") << ending.size();
        EXPECT_FALSE(answers.AnyFailed()) << ending.size();
    }
}

}  // namespace
}  // namespace expreval
