#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "console/console.h"
#include "support/tables.h"

namespace expreval {
namespace {

// Keeps what is written and how much of it had been written at each flush.
class RecordingBuffer final : public std::streambuf {
  public:
    std::string written;
    std::vector<size_t> flushes;

  protected:
    int_type overflow(int_type ch) override {
        if (ch != traits_type::eof())
            written.push_back(static_cast<char>(ch));
        return ch;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        written.append(text, static_cast<size_t>(count));
        return count;
    }
    int sync() override {
        flushes.push_back(written.size());
        return 0;
    }
};

// Hands out the given lines, then fails or ends.
class ScriptedSource final : public LineSource {
  public:
    ScriptedSource(std::vector<std::string> lines, bool failAtEnd)
        : lines_(std::move(lines)), failAtEnd_(failAtEnd) {}
    LineRead ReadLine(std::string& line) override {
        if (next_ == lines_.size()) {
            if (failAtEnd_)
                throw std::runtime_error("input failed");
            return LineRead::kEnd;
        }
        line = lines_[next_++];
        return LineRead::kLine;
    }
    size_t Given() const { return next_; }
    bool Exhausted() const { return next_ == lines_.size(); }

  private:
    std::vector<std::string> lines_;
    bool failAtEnd_;
    size_t next_ = 0;
};

// The same, reading the lines in blocks of linesPerRead from fresh input:
// before each read the hook the console gives runs, and what had been
// written by then is recorded.
class ReadingSource final : public LineSource {
  public:
    ReadingSource(std::vector<std::string> lines, const RecordingBuffer& buffer, bool failAtEnd,
                  size_t linesPerRead)
        : script_(std::move(lines), failAtEnd), buffer_(buffer), linesPerRead_(linesPerRead) {}
    LineRead ReadLine(std::string& line) override {
        if (script_.Given() % linesPerRead_ == 0 || script_.Exhausted()) {
            if (hook_)
                hook_();
            writtenAtReads.push_back(buffer_.written.size());
        }
        return script_.ReadLine(line);
    }
    bool CallBeforeReading(std::function<void()> hook) override {
        hook_ = std::move(hook);
        return true;
    }

    std::vector<size_t> writtenAtReads;
    bool HasHook() const { return static_cast<bool>(hook_); }

  private:
    ScriptedSource script_;
    const RecordingBuffer& buffer_;
    size_t linesPerRead_;
    std::function<void()> hook_;
};

const std::string kDialogue =
    std::string(kBanner) + kPrompt + "The result is 2\n" + kPrompt + "The result is 6\n" + kPrompt;

TEST(ConsoleFlushing, EveryLineFlushesEachPromptAndResult) {
    UseBuiltInTables();
    RecordingBuffer buffer;
    std::ostream out(&buffer);
    ScriptedSource source({"1+1", "2*3"}, false);
    EXPECT_EQ(RunConsole(source, out, Flushing::kEveryLine), 0);
    EXPECT_EQ(buffer.written, kDialogue);
    const size_t banner = std::string(kBanner).size() + std::string(kPrompt).size();
    const size_t answer = std::string("The result is 2\n").size();
    const size_t prompt = std::string(kPrompt).size();
    EXPECT_EQ(
        buffer.flushes,
        (std::vector<size_t>{banner, banner + answer, banner + answer + prompt,
                             banner + 2 * answer + prompt, kDialogue.size(), kDialogue.size()}));
}

// The source flushes before it waits; the loop itself only at the end.
TEST(ConsoleFlushing, BeforeWaitFlushesOnlyAtTheEnd) {
    UseBuiltInTables();
    RecordingBuffer buffer;
    std::ostream out(&buffer);
    ScriptedSource source({"1+1", "2*3"}, false);
    EXPECT_EQ(RunConsole(source, out, Flushing::kBeforeWait), 0);
    EXPECT_EQ(buffer.written, kDialogue);
    EXPECT_EQ(buffer.flushes, std::vector<size_t>{kDialogue.size()});
}

TEST(ConsoleFlushing, AnUnexpectedFailureStillFlushesTheAnswers) {
    UseBuiltInTables();
    RecordingBuffer buffer;
    std::ostream out(&buffer);
    ScriptedSource source({"1+1", "2*3"}, true);
    EXPECT_THROW(RunConsole(source, out, Flushing::kBeforeWait), std::runtime_error);
    EXPECT_EQ(buffer.flushes, std::vector<size_t>{kDialogue.size()});
}

// Answers held back go out before every read of more input, failure
// messages in their place among them, and all of them when the input fails;
// the console takes its hook back when it is done.
TEST(ConsoleFlushing, HeldAnswersGoOutBeforeEachRead) {
    UseBuiltInTables();
    const std::string first = std::string(kBanner) + kPrompt;
    const std::string second = first + "The result is 2\n" + kPrompt;
    const std::string third =
        second + "Division by 0 is not allowed.\nThe result is Error\n" + kPrompt;
    const std::string all = third + "The result is 6\n" + kPrompt;
    const std::vector<std::string> lines = {"1+1", "1/0", "2*3"};

    RecordingBuffer lineByLine;
    std::ostream lineByLineOut(&lineByLine);
    ReadingSource lineByLineSource(lines, lineByLine, false, 1);
    EXPECT_EQ(RunConsole(lineByLineSource, lineByLineOut, Flushing::kBeforeWait), 0);
    EXPECT_EQ(lineByLine.written, all);
    EXPECT_EQ(lineByLineSource.writtenAtReads,
              (std::vector<size_t>{first.size(), second.size(), third.size(), all.size()}));
    EXPECT_FALSE(lineByLineSource.HasHook());

    RecordingBuffer oneBlock;
    std::ostream oneBlockOut(&oneBlock);
    ReadingSource oneBlockSource(lines, oneBlock, false, lines.size());
    EXPECT_EQ(RunConsole(oneBlockSource, oneBlockOut, Flushing::kBeforeWait), 0);
    EXPECT_EQ(oneBlock.written, all);
    EXPECT_EQ(oneBlockSource.writtenAtReads, (std::vector<size_t>{first.size(), all.size()}));

    RecordingBuffer failing;
    std::ostream failingOut(&failing);
    ReadingSource failingSource({"1+1", "2*3"}, failing, true, 2);
    EXPECT_THROW(RunConsole(failingSource, failingOut, Flushing::kBeforeWait), std::runtime_error);
    EXPECT_EQ(failing.written, kDialogue);
    EXPECT_FALSE(failingSource.HasHook());
}

}  // namespace
}  // namespace expreval
