#include "console/line_source.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
    : fd_(fd), wake_(wake), beforeWait_(std::move(beforeWait)) {
    buffer_.reset(static_cast<char*>(std::malloc(kReadBlock)));
    if (buffer_ == nullptr)
        throw std::bad_alloc();
    capacity_ = kReadBlock;
}

// A line held whole that a copy finds no memory for is too long as well.
// Once the line is copied, or dropped, the buffer need not hold it.
LineRead DescriptorLineSource::ReadLine(std::string& line) {
    std::string_view view;
    LineRead read = NextLine(view);
    try {
        line.assign(view);
    } catch (const std::bad_alloc&) {
        std::string(view.substr(0, 1)).swap(line);  // frees the long buffer
        read = LineRead::kTooLong;
    }
    ShrinkToBlock();
    return read;
}

LineRead DescriptorLineSource::ViewLine(std::string_view& line, std::string& /*store*/) {
    return NextLine(line);
}

// Most lines lie whole in the block read. Any other is moved to the front of
// the buffer, and the rest of it is read in after it, the buffer growing as
// it must: each byte of a long line is read into place once and never copied
// again (growing a large buffer remaps its pages rather than copying them).
LineRead DescriptorLineSource::NextLine(std::string_view& line) {
    ShrinkToBlock();  // the line before is no longer viewed
    char* const data = buffer_.get();
    if (const void* feed = std::memchr(data + begin_, '\n', end_ - begin_)) {
        line = std::string_view(data + begin_, static_cast<const char*>(feed) - (data + begin_));
        begin_ = line.size() + begin_ + 1;
        return LineRead::kLine;
    }
    std::memmove(data, data + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (true) {
        const size_t searched = end_;
        if (end_ == capacity_ && !Grow())
            return PassTooLongLine(line);
        if (!ReadMore()) {
            if (std::exchange(interrupted_, false)) {
                end_ = 0;  // the line being read is dropped
                line = {};
                return LineRead::kInterrupted;
            }
            line = std::string_view(buffer_.get(), end_);
            begin_ = end_;
            return line.empty() ? LineRead::kEnd : LineRead::kLastLine;
        }
        const char* const from = buffer_.get();
        if (const void* feed = std::memchr(from + searched, '\n', end_ - searched)) {
            line = std::string_view(from, static_cast<const char*>(feed) - from);
            begin_ = line.size() + 1;
            return LineRead::kLine;
        }
    }
}

// Gives the buffer room for capacity bytes, the bytes held kept; false when
// memory runs out, the buffer as it was.
bool DescriptorLineSource::Resize(size_t capacity) {
    char* const resized = static_cast<char*>(std::realloc(buffer_.get(), capacity));
    if (resized == nullptr)
        return false;
    static_cast<void>(buffer_.release());
    buffer_.reset(resized);
    capacity_ = capacity;
    return true;
}

// Doubles the buffer; false when memory runs out, the buffer as it was.
bool DescriptorLineSource::Grow() {
    return capacity_ <= std::numeric_limits<size_t>::max() / 2 && Resize(capacity_ * 2);
}

// After a long line the buffer goes back to one block, the bytes not yet
// read moved to its front, so that what the line took is free for the lines
// that follow; while more than a block is unread it stays as it is.
void DescriptorLineSource::ShrinkToBlock() {
    if (capacity_ == kReadBlock || end_ - begin_ > kReadBlock)
        return;
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    static_cast<void>(Resize(kReadBlock));  // else it stays as large as it is
}

// A line that memory cannot hold is passed over through its line feed or to
// the end of input, keeping only its first character.
LineRead DescriptorLineSource::PassTooLongLine(std::string_view& line) {
    tooLongStart_ = *buffer_;
    begin_ = end_ = 0;
    ShrinkToBlock();
    while (ReadMore()) {
        if (const void* feed = std::memchr(buffer_.get(), '\n', end_)) {
            begin_ = static_cast<size_t>(static_cast<const char*>(feed) - buffer_.get()) + 1;
            break;
        }
        end_ = 0;
    }
    interrupted_ = false;
    line = std::string_view(&tooLongStart_, 1);
    return LineRead::kTooLong;
}

bool DescriptorLineSource::CallBeforeReading(std::function<void()> hook) {
    beforeRead_ = std::move(hook);
    return true;
}

// Reads what input there is after the bytes held, as much as the buffer
// has room for; false at the end of input, on a read error, which ends the
// input too, or when the wait for input is cut short.
bool DescriptorLineSource::ReadMore() {
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
        count = read(fd_, buffer_.get() + end_, capacity_ - end_);
    } while (count < 0 && errno == EINTR);
    end_ += count > 0 ? static_cast<size_t>(count) : 0;
    ended_ = count <= 0;
    failed_ = count < 0;
    return !ended_;
}

}  // namespace expreval
