#include "console/line_source.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <istream>
#include <memory>
#include <utility>

namespace expreval {

namespace {

// Large enough that reading costs little next to evaluating, small enough to
// stay in cache.
constexpr size_t kReadBlock = 64 * 1024;

// True when a read of fd would wait for input. A descriptor that cannot be
// polled counts as ready: the read itself then reports what is wrong.
bool WouldBlock(int fd) {
    pollfd request{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&request, 1, 0);
    } while (ready < 0 && errno == EINTR);
    return ready == 0;
}

}  // namespace

LineRead StreamLineSource::ReadLine(std::string& line) {
    if (!std::getline(in_, line))
        return LineRead::kEnd;
    return in_.eof() ? LineRead::kLastLine : LineRead::kLine;
}

DescriptorLineSource::DescriptorLineSource(int fd, std::function<void()> beforeWait)
    : fd_(fd),
      beforeWait_(std::move(beforeWait)),
      buffer_(std::make_unique_for_overwrite<char[]>(kReadBlock)) {}

// Only the newly read block is searched for the line feed, so a line of any
// length is read in time proportional to its length.
LineRead DescriptorLineSource::ReadLine(std::string& line) {
    line.clear();
    while (true) {
        const char* data = buffer_.get() + begin_;
        const size_t available = end_ - begin_;
        const void* feed = std::memchr(data, '\n', available);
        if (feed != nullptr) {
            const size_t length = static_cast<size_t>(static_cast<const char*>(feed) - data);
            line.append(data, length);
            begin_ += length + 1;
            return LineRead::kLine;
        }
        line.append(data, available);
        begin_ = end_;
        if (!Fill())
            return line.empty() ? LineRead::kEnd : LineRead::kLastLine;
    }
}

// Replaces the consumed buffer with the next block; false at the end of input
// or on a read error, which ends the input the same way.
bool DescriptorLineSource::Fill() {
    if (ended_)
        return false;
    if (beforeWait_ && WouldBlock(fd_))
        beforeWait_();
    ssize_t count;
    do {
        count = read(fd_, buffer_.get(), kReadBlock);
    } while (count < 0 && errno == EINTR);
    begin_ = 0;
    end_ = count > 0 ? static_cast<size_t>(count) : 0;
    ended_ = count <= 0;
    return !ended_;
}

}  // namespace expreval
