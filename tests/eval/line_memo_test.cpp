#include "eval/line_memo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {
namespace {

// Random rewritten texts over the characters that matter to the two
// searches: for every view of them, the memo's answers are the plain
// routines'. Kept may say no where the rewrite would keep a view, never yes
// where it would not.
TEST(LineMemo, AnswersAsThePlainRoutines) {
    const std::vector<std::string> pieces = {"(", ")", "\"",   "{", "}", "\\",    "a",  "A",
                                             " ", "1", "sin(", "+", ",", "\"(\"", "{(}"};
    std::uint64_t state = 7;
    const auto next = [&state] {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return state >> 33;
    };
    for (int n = 0; n < 3000; ++n) {
        std::string line;
        for (std::uint64_t length = 1 + next() % 40; length > 0; --length)
            line += pieces[next() % pieces.size()];
        StripWhiteSpaceAndFoldCase(line);
        LineMemo memo(line);
        for (int views = 0; views < 20; ++views) {
            const size_t start = next() % (line.size() + 1);
            const size_t size = next() % (line.size() - start + 1);
            const std::string_view view = std::string_view(line).substr(start, size);
            if (memo.Kept(view)) {
                EXPECT_TRUE(KeptByRewrite(view)) << line << " from " << start;
            }
            for (size_t open = 0; open < view.size(); ++open) {
                if (view[open] == '(') {
                    EXPECT_EQ(memo.CallEnd(view, open), CallEnd(view, open))
                        << view << " at " << open;
                }
            }
        }
    }
}

}  // namespace
}  // namespace expreval
