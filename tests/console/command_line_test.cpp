// The console program's arguments: what each writes, on which stream, and
// the exit code a script sees.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Contents(FILE* file) {
    std::string text;
    std::rewind(file);
    char block[4096];
    for (size_t count; (count = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, count);
    std::fclose(file);
    return text;
}

// Runs the console with arguments and an empty standard input.
Outcome RunConsole(std::vector<std::string> arguments) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    const pid_t pid = fork();
    if (pid == 0) {
        const int input = open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(EXPREVAL_CONSOLE)};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(EXPREVAL_CONSOLE, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Contents(out), Contents(err)};
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const Outcome help = RunConsole({option});
        EXPECT_EQ(help.exitCode, 0) << option;
        EXPECT_TRUE(help.out.starts_with("Usage: expreval")) << help.out;
        EXPECT_NE(help.out.find("man expreval"), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("Ctrl-C"), std::string::npos) << help.out;
        EXPECT_EQ(help.err, "") << option;
    }
    const Outcome version = RunConsole({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.starts_with("expreval ")) << version.out;
    EXPECT_TRUE(version.out.ends_with("\n") && version.out.find('\n') == version.out.size() - 1)
        << version.out;
    EXPECT_EQ(version.err, "");
}

// Nothing starts, not even --help: no output, one line naming the first
// unknown option, status 2. Arguments without a leading "-" are files.
TEST(CommandLineTest, AnyOtherOptionIsRefused) {
    const std::vector<std::vector<std::string>> cases = {{"--frobnicate"},
                                                         {"-x"},
                                                         {"--help", "--bogus"},
                                                         {"-e", "1", "file.txt", "-Q"},
                                                         {"--version", "--quiet=1"}};
    for (const std::vector<std::string>& arguments : cases) {
        const std::string& unknown = arguments.back();
        const Outcome refused = RunConsole(arguments);
        EXPECT_EQ(refused.exitCode, 2) << unknown;
        EXPECT_EQ(refused.out, "") << unknown;
        EXPECT_EQ(refused.err,
                  "expreval: unknown argument '" + unknown + "'; see expreval --help\n");
    }
}

TEST(CommandLineTest, WithoutArgumentsTheDialogueStarts) {
    const Outcome dialogue = RunConsole({});
    EXPECT_EQ(dialogue.exitCode, 0);
    EXPECT_EQ(dialogue.out,
              "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n"
              "Enter expression: ");
    EXPECT_EQ(dialogue.err, "");
}

}  // namespace
