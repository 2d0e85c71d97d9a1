// Drives the console program through pipes one line at a time, the way
// another program would: each answer must arrive before the next line is
// written, or the test fails after a timeout instead of hanging.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr char kBanner[] = "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
constexpr char kPrompt[] = "Enter expression: ";
constexpr auto kPatience = std::chrono::seconds(20);  // generous for sanitizer builds

class ConsoleProcess {
  public:
    explicit ConsoleProcess(const char* option = nullptr) {
        signal(SIGPIPE, SIG_IGN);  // a console that died must fail the test, not kill it
        int input[2];
        int output[2];
        if (pipe(input) != 0 || pipe(output) != 0)
            ADD_FAILURE() << "pipe failed";
        pid_ = fork();
        if (pid_ == 0) {
            dup2(input[0], STDIN_FILENO);
            dup2(output[1], STDOUT_FILENO);
            close(input[0]);
            close(input[1]);
            close(output[0]);
            close(output[1]);
            const int quiet = open("/dev/null", O_WRONLY);  // the messages of failing lines
            dup2(quiet, STDERR_FILENO);
            execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, option, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        close(output[1]);
        toConsole_ = input[1];
        fromConsole_ = output[0];
    }

    ~ConsoleProcess() {
        CloseInput();
        CloseOutput();
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Writes text, but tolerates a console that has gone.
    bool TrySend(const std::string& text) {
        return write(toConsole_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    // The reader of the answers goes away.
    void CloseOutput() {
        if (fromConsole_ >= 0)
            close(fromConsole_);
        fromConsole_ = -1;
    }

    void Send(const std::string& text) {
        ASSERT_EQ(write(toConsole_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    void CloseInput() {
        if (toConsole_ >= 0)
            close(toConsole_);
        toConsole_ = -1;
    }

    // Everything the console writes until its output ends with ending, or
    // until the end of its output or the timeout, whichever comes first.
    std::string ReadUntil(const std::string& ending) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!text.ends_with(ending) || ending.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd request{fromConsole_, POLLIN, 0};
            if (left.count() <= 0 || poll(&request, 1, static_cast<int>(left.count())) <= 0) {
                ADD_FAILURE() << "no answer in time; got so far: " << text;
                break;
            }
            char block[4096];
            const ssize_t count = read(fromConsole_, block, sizeof block);
            if (count <= 0)
                break;
            text.append(block, static_cast<size_t>(count));
        }
        return text;
    }

    // The exit code once the console has ended by itself.
    int ExitCode() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = -1;
    int toConsole_ = -1;
    int fromConsole_ = -1;
};

TEST(PipeDialogueTest, EachAnswerArrivesBeforeTheNextLine) {
    ConsoleProcess console;
    EXPECT_EQ(console.ReadUntil(kPrompt), std::string(kBanner) + kPrompt);
    console.Send("1+2*3\n");
    EXPECT_EQ(console.ReadUntil(kPrompt), std::string("The result is 7\n") + kPrompt);
    console.Send("\n");  // swallowed: no answer, so none is awaited
    console.Send("7/0\n");
    EXPECT_EQ(console.ReadUntil(kPrompt),
              std::string("Division by 0 is not allowed.\nThe result is Error\n") + kPrompt);
    console.Send("zurp*2\n");
    EXPECT_EQ(console.ReadUntil(kPrompt), std::string("The result is {2,4,6,8,10}\n") + kPrompt);
    console.Send(".\n");
    EXPECT_EQ(console.ReadUntil(""), "");
    EXPECT_EQ(console.ExitCode(), 0);
}

// Quiet answers reach a driver that waits for each, failures included.
TEST(PipeDialogueTest, QuietAnswersArriveBeforeTheNextLine) {
    ConsoleProcess console("-q");
    console.Send("1+2\n");
    EXPECT_EQ(console.ReadUntil("\n"), "3\n");
    console.Send("y\n");
    EXPECT_EQ(console.ReadUntil("\n"), "Error\n");
    console.Send("zurp\n");
    EXPECT_EQ(console.ReadUntil("\n"), "{1,2,3,4,5}\n");
    console.CloseInput();
    EXPECT_EQ(console.ReadUntil(""), "");
    EXPECT_EQ(console.ExitCode(), 1);
}

TEST(PipeDialogueTest, LineCutOffByTheEndOfInputIsAnswered) {
    ConsoleProcess console;
    EXPECT_EQ(console.ReadUntil(kPrompt), std::string(kBanner) + kPrompt);
    console.Send("2*");
    console.Send("3");
    console.CloseInput();
    EXPECT_EQ(console.ReadUntil(""), "The result is 6\n");
    EXPECT_EQ(console.ExitCode(), 0);
}

// With SIGPIPE ignored, as this test process has it, writes to a reader
// that has gone fail instead of ending the console.
TEST(PipeDialogueTest, AReaderThatGoesAwayEndsTheDialogueAsAFailure) {
    ConsoleProcess console;
    EXPECT_EQ(console.ReadUntil(kPrompt), std::string(kBanner) + kPrompt);
    console.CloseOutput();
    for (int i = 0; i < 100 && console.TrySend("1+2\n"); ++i) {
    }
    console.CloseInput();
    EXPECT_EQ(console.ExitCode(), 1);
}

TEST(PipeDialogueTest, AnswersThatCannotBeWrittenEndTheDialogueAsAFailure) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int full = open("/dev/full", O_WRONLY);
        const int input = open("/dev/null", O_RDONLY);
        if (full < 0 || input < 0)
            _exit(77);
        dup2(full, STDOUT_FILENO);
        dup2(input, STDIN_FILENO);
        execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no /dev/full here";
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

// A program that ends the console with SIGTERM while it works through a long
// input still gets every answer computed, in order, and the conventional
// exit status. The console is stopped while its answers back up in the
// pipe, so that many are held back when the signal comes.
TEST(PipeDialogueTest, SigtermStillDeliversEveryAnswerComputed) {
    constexpr int kLines = 200000;
    FILE* input = std::tmpfile();
    for (int i = 1; i <= kLines; ++i)
        std::fprintf(input, "%d*2\n", i);
    std::fflush(input);
    std::rewind(input);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fileno(input), STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    std::string text;
    char block[4096];
    for (ssize_t count; text.size() < 4096 && (count = read(output[0], block, sizeof block)) > 0;)
        text.append(block, static_cast<size_t>(count));
    kill(pid, SIGTERM);
    for (ssize_t count; (count = read(output[0], block, sizeof block)) > 0;)
        text.append(block, static_cast<size_t>(count));
    close(output[0]);
    std::fclose(input);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, its answers lost";
    EXPECT_EQ(WEXITSTATUS(status), 143);

    // The line under way when the signal came may have been stopped.
    const std::string interrupted = "Interrupted.\nThe result is Error\n" + std::string(kPrompt);
    if (text.ends_with(interrupted))
        text.resize(text.size() - interrupted.size());
    int answered = 0;
    for (size_t at = text.find("The result is "); at != std::string::npos;
         at = text.find("The result is ", at + 1))
        ++answered;
    std::string expected = std::string(kBanner) + kPrompt;
    for (int i = 1; i <= answered; ++i)
        expected += "The result is " + std::to_string(2 * i) + "\n" + kPrompt;
    EXPECT_TRUE(text == expected) << "answers lost or out of order; " << answered << " answers";
    EXPECT_GT(answered, 100);
    EXPECT_LT(answered, kLines) << "the signal came too late to test anything";
}

// Until the process has slept through several looks in a row without using
// the processor: blocked on a pipe, with nothing left to compute.
void AwaitSettled(pid_t pid) {
    std::string last;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (int look = 0; look < 4 && std::chrono::steady_clock::now() < deadline; ++look) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string state, skipped, user, system;
        fields >> state;
        for (int field = 4; field < 14; ++field)
            fields >> skipped;
        fields >> user >> system;
        if (state != "S" || (look > 0 && user + " " + system != last))
            look = 0;
        last = user + " " + system;
    }
}

// A driver writes 2,000 short lines and one long one at once and reads
// nothing until it has sent SIGTERM, long after the console has filled the
// pipe. Every line that had arrived is answered, and the answers go out as
// the driver reads, before the exit with 143. A driver that closes its end
// instead ends the console at once.
TEST(PipeDialogueTest, SigtermWithALateReaderLosesNoAnswer) {
    constexpr int kShortLines = 2000;
    constexpr int kTerms = 200000;
    std::string input;
    std::string expected = std::string(kBanner) + kPrompt;
    for (int i = 1; i <= kShortLines; ++i) {
        input += std::to_string(i) + "*2\n";
        expected += "The result is " + std::to_string(2 * i) + "\n" + kPrompt;
    }
    for (int i = 1; i < kTerms; ++i)
        input += "1+";
    input += "1\n";
    expected += "The result is " + std::to_string(kTerms) + "\n" + kPrompt;

    for (const bool readerStays : {true, false}) {
        signal(SIGPIPE, SIG_IGN);  // the driver outlives a console that died
        int toConsole[2];
        int fromConsole[2];
        ASSERT_EQ(pipe(toConsole), 0);
        ASSERT_EQ(pipe(fromConsole), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(toConsole[0], STDIN_FILENO);
            dup2(fromConsole[1], STDOUT_FILENO);
            for (const int fd : {toConsole[0], toConsole[1], fromConsole[0], fromConsole[1]})
                close(fd);
            execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toConsole[0]);
        close(fromConsole[1]);
        std::thread writer([&] {
            for (size_t at = 0; at < input.size();) {
                const ssize_t count = write(toConsole[1], input.data() + at, input.size() - at);
                if (count <= 0)
                    return;
                at += static_cast<size_t>(count);
            }
        });
        AwaitSettled(pid);
        kill(pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::string text;
        if (readerStays) {
            char block[4096];
            for (ssize_t count; (count = read(fromConsole[0], block, sizeof block)) > 0;)
                text.append(block, static_cast<size_t>(count));
        }
        close(fromConsole[0]);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (std::chrono::steady_clock::now() >= deadline) {
            ADD_FAILURE() << "the console did not end";
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        close(toConsole[1]);
        writer.join();
        ASSERT_TRUE(WIFEXITED(status)) << readerStays;
        EXPECT_EQ(WEXITSTATUS(status), 143) << readerStays;
        if (readerStays) {
            EXPECT_TRUE(text == expected)
                << text.size() << " bytes of " << expected.size() << "; ends with "
                << text.substr(text.size() - std::min<size_t>(text.size(), 60));
        }
    }
}

// A console started without standard input or output must not take the first
// descriptor it opens for it: it would wait on its own pipe for input, or
// write its answers there and end as if they had been read. Every run that
// cannot write says so, --help and --version too.
TEST(PipeDialogueTest, AMissingStandardStreamFailsTheRun) {
    constexpr char kUnread[] = "expreval: standard input could not be read\n";
    constexpr char kUnwritten[] = "expreval: standard output could not be written\n";
    struct Case {
        int closed;
        const char* option;  // or null
        const char* message;
    };
    const Case cases[] = {
        {STDIN_FILENO, nullptr, kUnread},
        {STDIN_FILENO, "-q", kUnread},
        {STDIN_FILENO, "-", kUnread},
        {STDOUT_FILENO, nullptr, kUnwritten},
        {STDOUT_FILENO, "-q", kUnwritten},
        {STDOUT_FILENO, "-e1", kUnwritten},
        {STDOUT_FILENO, "--version", kUnwritten},
        {STDOUT_FILENO, "--help", kUnwritten},
    };
    for (const Case& c : cases) {
        int input[2];
        int errors[2];
        ASSERT_EQ(pipe(input), 0);
        ASSERT_EQ(pipe(errors), 0);
        ASSERT_EQ(write(input[1], "1+2\n", 4), 4);
        close(input[1]);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(input[0], STDIN_FILENO);
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);  // the banner
            dup2(errors[1], STDERR_FILENO);
            for (const int fd : {input[0], errors[0], errors[1]})
                close(fd);
            close(c.closed);
            alarm(std::chrono::seconds(kPatience).count());  // a console that hangs fails
            execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, c.option, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        close(errors[1]);
        std::string text;
        char block[4096];
        for (ssize_t count; (count = read(errors[0], block, sizeof block)) > 0;)
            text.append(block, static_cast<size_t>(count));
        close(errors[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        const std::string what =
            "fd " + std::to_string(c.closed) + " " + (c.option ? c.option : "");
        ASSERT_TRUE(WIFEXITED(status)) << what;
        EXPECT_EQ(WEXITSTATUS(status), 1) << what;
        EXPECT_EQ(text, c.message) << what;
    }
}

// A named pipe given as a file is opened before anything is evaluated, which
// waits for a writer; a signal that ends the program ends that wait too, in
// a console driven by a script (SIGTERM) as at a terminal (Ctrl-C).
TEST(PipeDialogueTest, ASignalEndsTheWaitForANamedPipeToOpen) {
    char directory[] = "/tmp/expreval-fifo-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string fifo = std::string(directory) + "/input";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const int number : {SIGTERM, SIGINT}) {
        const pid_t pid = fork();
        if (pid == 0) {
            signal(SIGINT, SIG_DFL);
            alarm(std::chrono::seconds(kPatience).count());  // a console that hangs fails
            execl(EXPREVAL_CONSOLE, EXPREVAL_CONSOLE, fifo.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        AwaitSettled(pid);
        kill(pid, number);
        int status = 0;
        waitpid(pid, &status, 0);
        const bool ended = WIFSIGNALED(status)
                               ? WTERMSIG(status) == number
                               : WIFEXITED(status) && WEXITSTATUS(status) == 128 + number;
        EXPECT_TRUE(ended) << "signal " << number << ", status " << status;
    }
    unlink(fifo.c_str());
    rmdir(directory);
}

}  // namespace
