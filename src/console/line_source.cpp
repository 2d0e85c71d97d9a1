#include "console/line_source.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
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

// The wake descriptor is looked at first: a long line that keeps arriving
// is cut short as well.
bool AwaitInput(int fd, int wake) {
    if (wake < 0)
        return true;
    while (true) {
        pollfd requests[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
        if (poll(requests, 2, -1) < 0 && errno != EINTR)
            return true;
        if (requests[1].revents != 0)
            return false;
        if (requests[0].revents != 0)
            return true;
    }
}

// std::getline turns any failure into a failed stream, which would end the
// dialogue as quietly as the end of input. With badbit in the exception mask
// a std::bad_alloc comes through instead. Input that cannot be read ends the
// dialogue, marked as failed.
LineRead StreamLineSource::ReadLine(std::string& line) {
    const std::ios::iostate mask = in_.exceptions();
    in_.exceptions(mask | std::ios::badbit);
    LineRead read = LineRead::kEnd;
    try {
        if (std::getline(in_, line))
            read = in_.eof() ? LineRead::kLastLine : LineRead::kLine;
    } catch (const std::bad_alloc&) {
        std::string(line, 0, 1).swap(line);  // frees the long buffer
        in_.clear();
        in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        read = LineRead::kTooLong;
    } catch (const std::ios_base::failure&) {
        failed_ = true;
    }
    in_.exceptions(mask);
    return read;
}

DescriptorLineSource::DescriptorLineSource(int fd, std::function<void()> beforeWait, int wake)
    : fd_(fd),
      wake_(wake),
      beforeWait_(std::move(beforeWait)),
      buffer_(std::make_unique_for_overwrite<char[]>(kReadBlock)) {}

// Only the newly read block is searched for the line feed, so a line of any
// length is read in time proportional to its length. A line that lies whole
// in the block, as most do, is copied in one piece.
LineRead DescriptorLineSource::ReadLine(std::string& line) {
    line.clear();
    try {
        if (const char* feed = FeedInBlock()) {
            const char* data = buffer_.get() + begin_;
            line.assign(data, static_cast<size_t>(feed - data));
            begin_ = static_cast<size_t>(feed - buffer_.get()) + 1;
            return LineRead::kLine;
        }
        if (PassLine(&line))
            return LineRead::kLine;
        if (std::exchange(interrupted_, false)) {
            line.clear();
            return LineRead::kInterrupted;
        }
        return line.empty() ? LineRead::kEnd : LineRead::kLastLine;
    } catch (const std::bad_alloc&) {
        // The append that failed would have started at begin_.
        std::string(1, line.empty() ? buffer_[begin_] : line[0]).swap(line);
        PassLine(nullptr);
        return LineRead::kTooLong;
    }
}

// A line that lies whole in the block is not copied. Any other is read as
// ReadLine reads it, which looks at the rest of this block again: once a block.
LineRead DescriptorLineSource::ViewLine(std::string_view& line, std::string& store) {
    if (const char* feed = FeedInBlock()) {
        const char* data = buffer_.get() + begin_;
        line = std::string_view(data, static_cast<size_t>(feed - data));
        begin_ = static_cast<size_t>(feed - buffer_.get()) + 1;
        return LineRead::kLine;
    }
    const LineRead read = ReadLine(store);
    line = store;
    return read;
}

// The line feed that ends the line at begin_ within the block, or null.
const char* DescriptorLineSource::FeedInBlock() const {
    return static_cast<const char*>(std::memchr(buffer_.get() + begin_, '\n', end_ - begin_));
}

// Moves past the rest of the current line and its line feed, appending what
// it passes to kept unless that is null. False when the input ends first.
bool DescriptorLineSource::PassLine(std::string* kept) {
    while (true) {
        const char* data = buffer_.get() + begin_;
        const size_t available = end_ - begin_;
        const void* feed = std::memchr(data, '\n', available);
        const size_t length = feed == nullptr
                                  ? available
                                  : static_cast<size_t>(static_cast<const char*>(feed) - data);
        if (kept != nullptr)
            kept->append(data, length);
        begin_ += length;
        if (feed != nullptr) {
            ++begin_;
            return true;
        }
        if (!Fill())
            return false;
    }
}

bool DescriptorLineSource::CallBeforeReading(std::function<void()> hook) {
    beforeRead_ = std::move(hook);
    return true;
}

// Replaces the consumed buffer with the next block; false at the end of input
// or on a read error, which ends the input too.
bool DescriptorLineSource::Fill() {
    if (ended_)
        return false;
    if (beforeRead_)
        beforeRead_();
    if (beforeWait_ && WouldBlock(fd_))
        beforeWait_();
    if (!AwaitInput(fd_, wake_)) {
        interrupted_ = true;
        return false;
    }
    ssize_t count;
    do {
        count = read(fd_, buffer_.get(), kReadBlock);
    } while (count < 0 && errno == EINTR);
    begin_ = 0;
    end_ = count > 0 ? static_cast<size_t>(count) : 0;
    ended_ = count <= 0;
    failed_ = count < 0;
    return !ended_;
}

}  // namespace expreval
