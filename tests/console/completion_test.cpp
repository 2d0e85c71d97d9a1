#include "console/completion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "expreval/session.h"

namespace expreval {
namespace {

class CompletionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        session_.SetVariable("kappa1", "1");
        session_.SetVariable("kappa2", "2");
        session_.SetVariable("kappo", "3");
        session_.SetVariable("Quorum", "4");
    }
    void SetVariable(std::string_view name, std::string value) {
        session_.SetVariable(name, std::move(value));
    }

  private:
    Session session_ = Session::Console();
    UsingSession using_{session_};
};

TEST_F(CompletionTest, CompletesTheNameBeforeTheCursorAsFarAsItIsUnambiguous) {
    EXPECT_EQ(CompleteName("quo").insertion, "rum");
    EXPECT_EQ(CompleteName("QUO").insertion, "rum");     // names fold to lower case
    EXPECT_EQ(CompleteName("1+(quo").insertion, "rum");  // after an operator
    EXPECT_EQ(CompleteName("2quo").insertion, "rum");    // implied multiplication
    EXPECT_EQ(CompleteName("zurp*ka").insertion, "pp");  // shared by kappa1, kappa2, kappo
    EXPECT_EQ(CompleteName("kappa").insertion, "");      // kappa1 or kappa2
    EXPECT_EQ(CompleteName("kappa2").insertion, "");     // already complete
}

TEST_F(CompletionTest, OffersEveryMatchSorted) {
    const std::vector<std::string> kappas = {"kappa1", "kappa2", "kappo"};
    EXPECT_EQ(CompleteName("kap").candidates, kappas);
    EXPECT_EQ(CompleteName("kappa2").candidates, std::vector<std::string>{"kappa2"});
    const std::vector<std::string> all = CompleteName("1+").candidates;
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_NE(std::find(all.begin(), all.end(), "zurp"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), "quorum"), all.end());
}

TEST_F(CompletionTest, CompletesFunctionsWithTheirParenthesisAlongsideVariables) {
    SetVariable("cosmos", "5");
    EXPECT_EQ(CompleteName("1+si").insertion, "n(");
    EXPECT_EQ(CompleteName("LO").insertion, "g(");
    const std::vector<std::string> co = {"cos(", "cosmos", "cot("};
    EXPECT_EQ(CompleteName("co").candidates, co);
    EXPECT_EQ(CompleteName("co").insertion, "");
    EXPECT_EQ(CompleteName("cosm").insertion, "os");
    EXPECT_EQ(CompleteName("sin(cosm").insertion, "os");  // inside a call's argument
}

TEST_F(CompletionTest, OffersNothingInsideAStringOrForAnUnknownName) {
    EXPECT_TRUE(CompleteName("\"quo").candidates.empty());
    EXPECT_TRUE(CompleteName("\"a b\"+\"quo").candidates.empty());
    EXPECT_EQ(CompleteName("\"a b\"+quo").insertion, "rum");  // the string is closed
    EXPECT_TRUE(CompleteName("xyzzy").candidates.empty());
}

}  // namespace
}  // namespace expreval
