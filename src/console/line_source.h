// Where the console's input lines come from. The loop asks for one line at a
// time; each source decides how it reads and how it waits for input.
#pragma once

#include <cstdlib>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace expreval {

enum class LineRead {
    kLine,         // a line ended by a line feed
    kLastLine,     // characters that the end of input cut off before a line feed
    kTooLong,      // a line too long to hold in memory, passed over through its line
                   // feed or to the end of input; only its first character is kept
    kInterrupted,  // a wait for input was cut short by a signal: the line being
                   // read is dropped
    kEnd,          // nothing left
};

class LineSource {
  public:
    virtual ~LineSource() = default;
    // Replaces line with the next line, without its line feed.
    virtual LineRead ReadLine(std::string& line) = 0;
    // The same for a caller that reads the line only until the next read:
    // line views it where the source holds it whole, else in store, which
    // ReadLine fills.
    virtual LineRead ViewLine(std::string_view& line, std::string& store) {
        const LineRead read = ReadLine(store);
        line = store;
        return read;
    }
    // Asks the source to run hook (when not null) before each read of more
    // input, which may wait: output held back until then goes out first.
    // False when the source does not, and nothing may be held back.
    virtual bool CallBeforeReading(std::function<void()> /*hook*/) { return false; }
    // Whether the input stopped at a read error rather than at its end.
    virtual bool Failed() const { return false; }
};

// Lines of a std::istream.
class StreamLineSource final : public LineSource {
  public:
    explicit StreamLineSource(std::istream& in) : in_(in) {}
    LineRead ReadLine(std::string& line) override;
    bool Failed() const override { return failed_; }

  private:
    std::istream& in_;
    bool failed_ = false;
};

// Waits until fd has input, or has ended or failed, which a read then finds;
// false, at once, when a byte can be read from wake. With wake -1 it returns
// at once.
bool AwaitInput(int fd, int wake);

// Lines of a file descriptor, read with read(2) in large blocks. beforeWait
// runs whenever the next read would block, so a program that drives the
// console through pipes sees all pending output before it has to answer.
// A byte that can be read from wake (unless that is -1) ends the reading of
// the line as kInterrupted, whether input is waited for or still arriving;
// the byte is left for its owner to read.
class DescriptorLineSource final : public LineSource {
  public:
    DescriptorLineSource(int fd, std::function<void()> beforeWait, int wake = -1);
    LineRead ReadLine(std::string& line) override;
    LineRead ViewLine(std::string_view& line, std::string& store) override;
    bool CallBeforeReading(std::function<void()> hook) override;
    bool Failed() const override { return failed_; }
    // Whether a read found the end of input (or failed): nothing read is
    // left unanswered, and only a new read could find more.
    bool Ended() const { return ended_; }

  private:
    struct Free {
        void operator()(char* buffer) const { std::free(buffer); }
    };

    LineRead NextLine(std::string_view& line);
    bool Resize(size_t capacity);
    bool Grow();
    void ShrinkToBlock();
    LineRead PassTooLongLine(std::string_view& line);
    bool ReadMore();

    int fd_;
    int wake_;
    std::function<void()> beforeWait_;
    std::function<void()> beforeRead_;
    std::unique_ptr<char, Free> buffer_;  // grown by realloc for a long line
    size_t capacity_ = 0;
    size_t begin_ = 0;  // first unread byte
    size_t end_ = 0;    // one past the last byte read
    char tooLongStart_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool interrupted_ = false;  // the last wait was cut short
};

}  // namespace expreval
