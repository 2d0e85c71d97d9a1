#include <gtest/gtest.h>

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

  private:
    std::vector<std::string> lines_;
    bool failAtEnd_;
    size_t next_ = 0;
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

}  // namespace
}  // namespace expreval
