// Standard output into a pipe whose reader may fall behind. What the pipe
// cannot take at once waits here, so that the console goes on answering the
// input that arrives instead of stopping at the first full pipe; it waits for
// the reader only when kQueuedOutputLimit bytes wait, when it is flushed and
// at the end. A signal that ends the console then finds the lines that had
// arrived answered, and their answers go out as the reader reads.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <streambuf>

namespace expreval {

// The most answers held for a reader that lags: enough for thousands of
// lines, little next to what one long list takes.
inline constexpr size_t kQueuedOutputLimit = 1024 * 1024;

class PipeOutput final : public std::streambuf {
  public:
    // Null when fd is no pipe, or cannot be opened a second time for writes
    // that do not wait; blocking writes to fd then serve as before.
    static std::unique_ptr<PipeOutput> Open(int fd);

    // Writes what waits, as a stream's flush would.
    ~PipeOutput() override;

    // Writes what waits until the pipe has taken it all or input can be
    // read from fd (or has ended), whichever comes first. False once the
    // pipe failed.
    bool SendUntilInput(int fd);
    PipeOutput(const PipeOutput&) = delete;
    PipeOutput& operator=(const PipeOutput&) = delete;

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    explicit PipeOutput(int fd);
    bool Send(bool wait);
    bool SendDirectly(const char* text, size_t size);
    bool MakeRoom(size_t size);
    void Restart(size_t kept);

    int fd_;  // does not block
    std::unique_ptr<char[]> queue_;
    size_t sent_ = 0;  // bytes from pbase() on that the pipe has taken
    bool failed_ = false;
};

// For a line source to run before it waits for input from fd: flushes out,
// but when out writes to a PipeOutput only until input arrives. A program
// that waits for each answer before it writes the next line gets it; one
// that writes on while it lags in reading does not hold up the answers.
void FlushBeforeWaiting(std::ostream& out, int fd);

}  // namespace expreval
