#include "console/line_source.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace expreval {
namespace {

using Lines = std::vector<std::pair<LineRead, std::string>>;

// By ReadLine, or by ViewLine: a view into the source's block must give the
// same lines, also where one runs on into the next block.
Lines ReadAll(LineSource& source, bool view = false) {
    Lines lines;
    std::string line = "stale";
    std::string_view viewed;
    auto next = [&] {
        const LineRead read = view ? source.ViewLine(viewed, line) : source.ReadLine(line);
        if (view)
            line = viewed;
        return read;
    };
    for (LineRead read = next(); read != LineRead::kEnd; read = next())
        lines.emplace_back(read, line);
    return lines;
}

// A pipe whose ends close with the test.
class Pipe {
  public:
    Pipe() { EXPECT_EQ(pipe(ends_), 0); }
    ~Pipe() {
        close(ends_[0]);
        CloseWriteEnd();
    }
    int ReadEnd() const { return ends_[0]; }
    void Write(const std::string& text) {
        EXPECT_EQ(write(ends_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void CloseWriteEnd() {
        if (ends_[1] >= 0)
            close(ends_[1]);
        ends_[1] = -1;
    }

  private:
    int ends_[2] = {-1, -1};
};

TEST(LineSourceTest, StreamAndDescriptorSplitAlike) {
    const std::string input = "1+1\n\n\n.x\r\nlast";
    const Lines expected = {{LineRead::kLine, "1+1"},
                            {LineRead::kLine, ""},
                            {LineRead::kLine, ""},
                            {LineRead::kLine, ".x\r"},
                            {LineRead::kLastLine, "last"}};
    std::istringstream stream(input);
    StreamLineSource streamSource(stream);
    EXPECT_EQ(ReadAll(streamSource), expected);

    for (const bool view : {false, true}) {
        Pipe pipe;
        pipe.Write(input);
        pipe.CloseWriteEnd();
        DescriptorLineSource descriptorSource(pipe.ReadEnd(), nullptr);
        EXPECT_EQ(ReadAll(descriptorSource, view), expected);
    }
}

TEST(LineSourceTest, FinalLineFeedLeavesNoLastLine) {
    Pipe pipe;
    pipe.Write("a\n");
    pipe.CloseWriteEnd();
    DescriptorLineSource source(pipe.ReadEnd(), nullptr);
    EXPECT_EQ(ReadAll(source), (Lines{{LineRead::kLine, "a"}}));
}

TEST(LineSourceTest, LinesLongerThanOneReadStayWhole) {
    const std::string longLine(300000, '7');
    const std::string input = longLine + "\n" + longLine;
    for (const bool view : {false, true}) {
        Pipe pipe;
        DescriptorLineSource source(pipe.ReadEnd(), nullptr);
        // The pipe holds less than the input, so another thread writes it.
        std::thread writer([&] {
            pipe.Write(input);
            pipe.CloseWriteEnd();
        });
        const Lines lines = ReadAll(source, view);
        writer.join();
        EXPECT_EQ(lines, (Lines{{LineRead::kLine, longLine}, {LineRead::kLastLine, longLine}}));
    }
}

// A wake byte that arrives while a line is still arriving drops what was read
// of it; the lines after it are read whole, into the view as into a string.
TEST(LineSourceTest, WakeDropsTheLineBeingRead) {
    for (const bool view : {false, true}) {
        Pipe input;
        Pipe wake;
        bool woken = false;
        DescriptorLineSource source(
            input.ReadEnd(),
            [&] {
                if (!std::exchange(woken, true))
                    wake.Write("w");
            },
            wake.ReadEnd());
        input.Write("12");
        std::string line;
        std::string_view viewed;
        EXPECT_EQ(view ? source.ViewLine(viewed, line) : source.ReadLine(line),
                  LineRead::kInterrupted);
        char byte = 0;
        EXPECT_EQ(read(wake.ReadEnd(), &byte, 1), 1);
        input.Write("3\n4");
        input.CloseWriteEnd();
        EXPECT_EQ(ReadAll(source, view),
                  (Lines{{LineRead::kLine, "3"}, {LineRead::kLastLine, "4"}}));
    }
}

// The hook must run before a read that would block, and only then: here it
// supplies the input itself, so the read after it finds data.
TEST(LineSourceTest, HookRunsOnlyBeforeWaiting) {
    Pipe pipe;
    int waits = 0;
    DescriptorLineSource source(pipe.ReadEnd(), [&] {
        ++waits;
        pipe.Write("second\n");
    });
    pipe.Write("first\nfir");
    std::string line;
    EXPECT_EQ(source.ReadLine(line), LineRead::kLine);
    EXPECT_EQ(line, "first");
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(source.ReadLine(line), LineRead::kLine);
    EXPECT_EQ(line, "firsecond");
    EXPECT_EQ(waits, 1);
}

// A directory cannot be read as a file: the input ends, marked as failed,
// where a plain end of input is not.
TEST(LineSourceTest, ReadErrorEndsTheInputAsFailed) {
    const int directory = open("/", O_RDONLY);
    ASSERT_GE(directory, 0);
    DescriptorLineSource source(directory, nullptr);
    std::string line;
    EXPECT_EQ(source.ReadLine(line), LineRead::kEnd);
    EXPECT_TRUE(source.Failed());
    close(directory);

    Pipe pipe;
    pipe.Write("1\n");
    pipe.CloseWriteEnd();
    DescriptorLineSource ended(pipe.ReadEnd(), nullptr);
    EXPECT_EQ(ReadAll(ended).size(), 1u);
    EXPECT_FALSE(ended.Failed());
}

}  // namespace
}  // namespace expreval
