#include "console/pipe_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>

namespace expreval {

namespace {

// Small pieces are gathered; once this much waits, the pipe is offered it.
constexpr size_t kOfferSize = 32 * 1024;

// Waits until fd takes more, or has failed, which the next write reports.
void AwaitRoom(int fd) {
    pollfd request{fd, POLLOUT, 0};
    while (poll(&request, 1, -1) < 0 && errno == EINTR) {
    }
}

// What write() takes of text without waiting: a count, 0 when the pipe is
// full, -1 when it failed. A signal meanwhile (SIGTERM) changes nothing.
ssize_t WriteWhatFits(int fd, const char* text, size_t size) {
    while (true) {
        const ssize_t count = write(fd, text, size);
        if (count >= 0)
            return count;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

}  // namespace

// A second opening of the pipe has flags of its own: making fd itself
// non-blocking would change it for every process that shares it, such as
// a shell that writes to the same pipe after the console.
std::unique_ptr<PipeOutput> PipeOutput::Open(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISFIFO(status.st_mode))
        return nullptr;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const int own = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (own < 0)
        return nullptr;
    return std::unique_ptr<PipeOutput>(new PipeOutput(own));
}

PipeOutput::PipeOutput(int fd)
    : fd_(fd), queue_(std::make_unique_for_overwrite<char[]>(kQueuedOutputLimit)) {
    Restart(0);
}

PipeOutput::~PipeOutput() {
    sync();
    close(fd_);
}

// The queue starts over with its first kept bytes still to be sent.
void PipeOutput::Restart(size_t kept) {
    setp(queue_.get(), queue_.get() + kQueuedOutputLimit);
    pbump(static_cast<int>(kept));
    sent_ = 0;
}

// Offers the pipe what waits; with wait, until it has taken all of it.
bool PipeOutput::Send(bool wait) {
    while (!failed_) {
        const size_t waiting = static_cast<size_t>(pptr() - pbase()) - sent_;
        if (waiting == 0) {
            Restart(0);
            return true;
        }
        const ssize_t count = WriteWhatFits(fd_, pbase() + sent_, waiting);
        if (count < 0)
            failed_ = true;
        else if (count > 0)
            sent_ += static_cast<size_t>(count);
        else if (wait)
            AwaitRoom(fd_);
        else
            return true;
    }
    return false;
}

bool PipeOutput::SendDirectly(const char* text, size_t size) {
    while (size > 0 && !failed_) {
        const ssize_t count = WriteWhatFits(fd_, text, size);
        if (count < 0)
            failed_ = true;
        else if (count == 0)
            AwaitRoom(fd_);
        text += count > 0 ? count : 0;
        size -= count > 0 ? static_cast<size_t>(count) : 0;
    }
    return !failed_;
}

// Room for size more bytes in the queue: what was sent is dropped from its
// front, and only when that is not enough does the console wait.
bool PipeOutput::MakeRoom(size_t size) {
    if (static_cast<size_t>(epptr() - pptr()) >= size)
        return true;
    if (!Send(false))
        return false;
    const size_t waiting = static_cast<size_t>(pptr() - pbase()) - sent_;
    if (waiting + size > kQueuedOutputLimit && !Send(true))
        return false;
    const size_t kept = static_cast<size_t>(pptr() - pbase()) - sent_;
    std::memmove(queue_.get(), pbase() + sent_, kept);
    Restart(kept);
    return true;
}

PipeOutput::int_type PipeOutput::overflow(int_type ch) {
    if (failed_)
        return traits_type::eof();
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return Send(false) ? traits_type::not_eof(ch) : traits_type::eof();
    if (!MakeRoom(1))
        return traits_type::eof();
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
    return ch;
}

// A piece larger than the whole queue goes to the pipe itself, after what
// waits: copying it would only add to the memory a huge answer already takes.
std::streamsize PipeOutput::xsputn(const char* text, std::streamsize count) {
    const size_t size = static_cast<size_t>(count);
    if (failed_)
        return 0;
    if (size > kQueuedOutputLimit)
        return Send(true) && SendDirectly(text, size) ? count : 0;
    if (!MakeRoom(size))
        return 0;
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(size));
    if (static_cast<size_t>(pptr() - pbase()) - sent_ >= kOfferSize && !Send(false))
        return 0;
    return count;
}

int PipeOutput::sync() {
    return Send(true) ? 0 : -1;
}

bool PipeOutput::SendUntilInput(int fd) {
    while (Send(false)) {
        if (pptr() == pbase())
            return true;
        pollfd requests[2] = {{fd_, POLLOUT, 0}, {fd, POLLIN, 0}};
        if (poll(requests, 2, -1) < 0 && errno != EINTR)
            return Send(true);
        if (requests[1].revents != 0)
            return true;
    }
    return false;
}

void FlushBeforeWaiting(std::ostream& out, int fd) {
    auto* pipe = dynamic_cast<PipeOutput*>(out.rdbuf());
    if (pipe == nullptr)
        out.flush();
    else if (!pipe->SendUntilInput(fd))
        out.setstate(std::ios::badbit);
}

}  // namespace expreval
