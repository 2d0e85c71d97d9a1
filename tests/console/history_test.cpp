// Where the history of typed lines is kept, from the environment.
#include "console/history.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace expreval {
namespace {

TEST(HistoryTest, PlaceFollowsTheEnvironment) {
    struct Case {
        const char* setting;  // EXPREVAL_HISTORY
        const char* stateHome;
        const char* home;
        std::optional<std::string> path;
        bool madeWhenMissing;
    };
    const Case cases[] = {
        {nullptr, nullptr, "/home/a", "/home/a/.local/state/expreval/history", true},
        {nullptr, "/state", "/home/a", "/state/expreval/history", true},
        {nullptr, "relative", "/home/a", "/home/a/.local/state/expreval/history", true},
        {nullptr, "", "/home/a", "/home/a/.local/state/expreval/history", true},
        {"/tmp/h", "/state", "/home/a", "/tmp/h", false},
        {"", "/state", "/home/a", std::nullopt, false},
        {nullptr, nullptr, nullptr, std::nullopt, false},
        {nullptr, nullptr, "", std::nullopt, false},
    };
    for (const Case& c : cases) {
        const std::optional<HistoryLocation> found = FindHistory(c.setting, c.stateHome, c.home);
        ASSERT_EQ(found.has_value(), c.path.has_value()) << (c.setting ? c.setting : "unset");
        if (found) {
            EXPECT_EQ(found->path, *c.path);
            EXPECT_EQ(found->makeDirectories, c.madeWhenMissing) << found->path;
        }
    }
}

}  // namespace
}  // namespace expreval
