#include "console/console.h"

#include <gtest/gtest.h>

#include <exception>
#include <ios>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>

#include "eval/evaluate.h"
#include "support/tables.h"

namespace expreval {
namespace {

constexpr char kBanner[] = "Expression Evaluator Test Program v 1.01\nType in a . to quit.\n";
constexpr char kPrompt[] = "Enter expression: ";

// Standard output of a whole session on in, after the banner.
std::string Session(std::istream& in, int exitCode = 0) {
    UseBuiltInTables();
    std::ostringstream out;
    EXPECT_EQ(RunConsole(in, out), exitCode);
    const std::string output = out.str();
    EXPECT_EQ(output.substr(0, sizeof kBanner - 1), kBanner);
    return output.substr(sizeof kBanner - 1);
}

std::string Session(const std::string& input) {
    std::istringstream in(input);
    return Session(in);
}

std::string Answer(const std::string& result) {
    return std::string(kPrompt) + "The result is " + result + "\n";
}

std::string Failure(const std::string& message) {
    return std::string(kPrompt) + message + "\nThe result is Error\n";
}

// Long enough to show a cost in proportion to the square of the length, short
// enough for the sanitizer build. The optimised build also gets a 100 MB line
// (limits/huge_line.sh).
constexpr size_t kLong = 1'000'000;

// Every one of these lines is scanned once: each is answered in time in
// proportion to its length, with the message its first fault gives.
TEST(ConsoleTest, AnswersLongLinesOfOneCharacter) {
    const std::string blanks(10 * kLong, ' ');
    EXPECT_EQ(Session(blanks + "\n.\n"), Failure("Too many operands.") + kPrompt);
    EXPECT_EQ(Session("1" + blanks + "+" + blanks + "1"), Answer("2"));
    EXPECT_EQ(Session(std::string(kLong, '(')), Failure("Operator ( does not exist."));
    EXPECT_EQ(Session(std::string(kLong, ')')), Failure("Missing '('."));
    EXPECT_EQ(Session(std::string(kLong, '{')), Failure("Too many operands."));
    EXPECT_EQ(Session(std::string(kLong, '"')), Failure("Operation does not support strings."));
    EXPECT_EQ(Session(std::string(kLong, '\0')),
              Failure("Operator " + std::string(kLong, '\0') + " does not exist."));
    EXPECT_EQ(Session(std::string(kLong, '\r')), Failure("Too many operands."));
    EXPECT_EQ(Session(std::string(kLong, '7')), Answer(std::string(kLong, '7')));
}

TEST(ConsoleTest, AnswersLongLinesOfRepeatedTokens) {
    std::string sum = "0";
    std::string calls;
    for (int i = 0; i < 100'000; ++i) {
        sum += "+1";
        calls += "sin(0)";
    }
    EXPECT_EQ(Session(sum), Answer("100000"));
    EXPECT_EQ(Session("\"" + std::string(kLong, 'a') + "\".\"b\""),
              Answer("\"" + std::string(kLong, 'a') + "b\""));
    EXPECT_EQ(Session(calls), Answer("0."));
}

// Serves text one character at a time and throws failure once, when the
// read reaches position failAt.
class FailingInput : public std::streambuf {
  public:
    FailingInput(std::string text, size_t failAt, std::exception_ptr failure)
        : text_(std::move(text)), failAt_(failAt), failure_(std::move(failure)) {}

  protected:
    int_type underflow() override {
        if (next_ == failAt_ && failure_ != nullptr)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        if (next_ == text_.size())
            return traits_type::eof();
        current_ = text_[next_++];
        setg(&current_, &current_, &current_ + 1);
        return traits_type::to_int_type(current_);
    }

  private:
    std::string text_;
    size_t failAt_;
    std::exception_ptr failure_;
    size_t next_ = 0;
    char current_ = 0;
};

std::string SessionFailingAt(const std::string& input, size_t failAt, std::exception_ptr failure,
                             int exitCode = 0) {
    FailingInput buffer(input, failAt, std::move(failure));
    std::istream in(&buffer);
    return Session(in, exitCode);
}

std::string SessionOutOfMemoryAt(const std::string& input, size_t failAt) {
    return SessionFailingAt(input, failAt, std::make_exception_ptr(std::bad_alloc()));
}

TEST(ConsoleTest, AnswersALineTooLongForMemoryAndGoesOn) {
    const std::string input = "x1=1\n123456789\nx1\n";
    EXPECT_EQ(SessionOutOfMemoryAt(input, 8),
              Answer("1") + Failure("Out of memory.") + Answer("1") + kPrompt);
    // Cut off by the end of input, it is followed by a prompt, then the end.
    EXPECT_EQ(SessionOutOfMemoryAt("123456789", 4), Failure("Out of memory.") + kPrompt);
    // Its first character still decides whether it ends the session.
    EXPECT_EQ(SessionOutOfMemoryAt("1\n.23456789\n2\n", 4), Answer("1") + kPrompt);
}

// Hands out one line in a buffer it fills, then notes how large a buffer
// comes back with the next read.
class FullBufferSource final : public LineSource {
  public:
    explicit FullBufferSource(std::string line) : line_(std::move(line)) {}
    LineRead ReadLine(std::string& line) override {
        if (given_) {
            returnedCapacity = line.capacity();
            return LineRead::kEnd;
        }
        given_ = true;
        line = line_;
        line.shrink_to_fit();
        givenCapacity = line.capacity();
        return LineRead::kLine;
    }

    size_t givenCapacity = 0;
    size_t returnedCapacity = 0;

  private:
    std::string line_;
    bool given_ = false;
};

// Grown or copied, the buffer of a line that fills it would double: a line
// that memory holds twice but not three times would then run out of it.
TEST(ConsoleTest, ALongLineIsAnsweredInTheBufferItCameIn) {
    UseBuiltInTables();
    FullBufferSource source(std::string(kLong, '7'));
    std::ostringstream out;
    RunConsole(source, out, Flushing::kBeforeWait);
    ASSERT_EQ(source.givenCapacity, kLong);
    EXPECT_EQ(source.returnedCapacity, source.givenCapacity);
    EXPECT_TRUE(out.str() == kBanner + Answer(std::string(kLong, '7')) + kPrompt);
}

TEST(ConsoleTest, InputThatCannotBeReadEndsTheSessionAsAFailure) {
    const auto failure = std::make_exception_ptr(std::ios_base::failure("read error"));
    EXPECT_EQ(SessionFailingAt("1\n2\n", 2, failure, 1), Answer("1") + kPrompt);
}

// Takes `room` characters, then fails every write.
class FullOutput : public std::streambuf {
  public:
    explicit FullOutput(size_t room) : room_(room) {}

  protected:
    int_type overflow(int_type ch) override {
        if (room_ == 0 || traits_type::eq_int_type(ch, traits_type::eof()))
            return traits_type::eof();
        --room_;
        return ch;
    }

  private:
    size_t room_;
};

// Reading on would only lose every answer; a session that lost some must
// not end as one that went well.
TEST(ConsoleTest, OutputThatCannotBeWrittenEndsTheSessionAsAFailure) {
    UseBuiltInTables();
    std::string input;
    for (int i = 0; i < 1000; ++i)
        input += "x=" + std::to_string(i) + "\n";
    std::istringstream in(input);
    FullOutput full(100);
    std::ostream out(&full);
    EXPECT_EQ(RunConsole(in, out), 1);
    EXPECT_LT(in.tellg(), static_cast<std::streamoff>(input.size() / 2));
}

}  // namespace
}  // namespace expreval
