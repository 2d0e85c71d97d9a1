// The manual page must render without a warning and name every operator and
// function of the built-in tables, so that it cannot fall behind them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "support/tables.h"
#include "symbols/tables.h"

namespace expreval {
namespace {

// What command writes on its standard output, and its exit status.
std::string Output(const std::string& command, int& status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return text;
    }
    char block[4096];
    for (size_t count; (count = std::fread(block, 1, sizeof block, pipe)) > 0;)
        text.append(block, count);
    status = pclose(pipe);
    return text;
}

TEST(ManPage, RendersWithoutWarnings) {
    int status = 0;
    const std::string warnings = Output("groff -man -ww -z '" EXPREVAL_MAN_PAGE "' 2>&1", status);
    EXPECT_EQ(status, 0) << "groff (Debian package groff-base) could not render the page";
    EXPECT_EQ(warnings, "");
}

// Words of the rendered page, bold and underlining left out.
std::set<std::string> RenderedWords() {
    int status = 0;
    std::istringstream text(
        Output("groff -man -Tascii -P-cbu '" EXPREVAL_MAN_PAGE "' 2>/dev/null", status));
    EXPECT_EQ(status, 0);
    std::set<std::string> words;
    for (std::string word; text >> word;)
        words.insert(word);
    return words;
}

TEST(ManPage, NamesEveryOperatorAndFunction) {
    UseBuiltInTables();
    const std::set<std::string> words = RenderedWords();
    for (const Operator* op = g_operators->Sentinel()->next; op != g_operators->Sentinel();
         op = op->next)
        EXPECT_TRUE(words.contains(op->symbol)) << "operator " << op->symbol;
    for (const Function* f = g_functions->Sentinel()->next; f != g_functions->Sentinel();
         f = f->next)
        EXPECT_TRUE(words.contains(f->name)) << "function " << f->name;
}

}  // namespace
}  // namespace expreval
