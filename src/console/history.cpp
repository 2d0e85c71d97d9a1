#include "console/history.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <ostream>
#include <string_view>
#include <thread>
#include <utility>

#include "console/descriptor.h"

namespace expreval {

namespace {

// How long a console that ends waits for another one to finish saving.
constexpr auto kLockPatience = std::chrono::seconds(2);
constexpr auto kLockRetry = std::chrono::milliseconds(10);

std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// 0, or the errno of the failure.
int MakeDirectories(const std::string& directory) {
    if (mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST)
        return 0;
    if (errno != ENOENT)
        return errno;
    const std::string parent = Parent(directory);
    if (parent == directory)
        return ENOENT;
    if (const int error = MakeDirectories(parent))
        return error;
    return mkdir(directory.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

int ReadFile(const std::string& path, std::string& text) {
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return errno;
    char block[64 * 1024];
    while (true) {
        const ssize_t count = read(file.Get(), block, sizeof block);
        if (count == 0)
            return 0;
        if (count < 0 && errno != EINTR)
            return errno;
        if (count > 0)
            text.append(block, static_cast<size_t>(count));
    }
}

int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t count = write(fd, text.data(), text.size());
        if (count < 0 && errno != EINTR)
            return errno;
        if (count > 0)
            text.remove_prefix(static_cast<size_t>(count));
    }
    return 0;
}

// The last kHistoryLines lines of text; a last line without its line feed
// counts.
std::vector<std::string> LastLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t feed = text.find('\n');
        lines.emplace_back(text.substr(0, feed));
        text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    }
    if (lines.size() > kHistoryLines)
        lines.erase(lines.begin(), lines.end() - kHistoryLines);
    return lines;
}

// Holds the directory locked against other consoles that save into it, for
// as long as it lives, when the lock comes within kLockPatience; else (a
// console that hangs while saving, a file system without locks) it goes
// on without: the file is still replaced whole.
class DirectoryLock {
  public:
    explicit DirectoryLock(const std::string& directory)
        : directory_(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
        while (directory_.Get() >= 0 && flock(directory_.Get(), LOCK_EX | LOCK_NB) != 0 &&
               errno == EWOULDBLOCK && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kLockRetry);
    }

  private:
    Descriptor directory_;  // closing it unlocks
};

// Writes text to a new file beside target and puts it in target's place.
int Replace(const std::string& target, const std::string& text) {
    std::string name = target + ".XXXXXX";
    Descriptor file(mkostemp(name.data(), O_CLOEXEC));
    if (file.Get() < 0)
        return errno;
    int error = WriteAll(file.Get(), text);
    if (error == 0 && fsync(file.Get()) != 0)
        error = errno;
    if (close(file.Release()) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(name.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlink(name.c_str());
    return error;
}

// The file a link leads to is replaced, not the link.
std::string Resolve(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

}  // namespace

std::optional<HistoryLocation> FindHistory(const char* setting, const char* stateHome,
                                           const char* home) {
    if (setting != nullptr) {
        if (*setting == '\0')
            return std::nullopt;
        return HistoryLocation{setting, false};
    }
    if (stateHome != nullptr && stateHome[0] == '/')
        return HistoryLocation{std::string(stateHome) + "/expreval/history", true};
    if (home != nullptr && home[0] != '\0')
        return HistoryLocation{std::string(home) + "/.local/state/expreval/history", true};
    return std::nullopt;
}

std::optional<HistoryLocation> FindHistoryInEnvironment() {
    return FindHistory(std::getenv("EXPREVAL_HISTORY"), std::getenv("XDG_STATE_HOME"),
                       std::getenv("HOME"));
}

History::History(HistoryLocation location, std::ostream& err)
    : location_(std::move(location)), err_(err) {}

void History::Complain(const std::string& what, int error) {
    if (std::exchange(complained_, true))
        return;
    err_ << "expreval: " << what << ": " << std::strerror(error) << '\n' << std::flush;
}

// Only a regular file is read: a device such as /dev/null keeps nothing,
// and one such as /dev/zero would never end.
std::vector<std::string> History::Load() {
    const std::string& path = location_.path;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT)
            Complain("history file " + path + " could not be read", errno);
        return {};
    }
    if (S_ISDIR(status.st_mode))
        Complain("history file " + path + " could not be read", EISDIR);
    if (!S_ISREG(status.st_mode))
        return {};
    try {
        std::string text;
        if (const int error = ReadFile(path, text)) {
            Complain("history file " + path + " could not be read", error);
            return {};
        }
        return LastLines(text);
    } catch (const std::bad_alloc&) {
        Complain("history file " + path + " could not be read", ENOMEM);
        return {};
    }
}

void History::Add(const std::string& line) {
    if (added_.empty() || added_.back() != line)
        added_.push_back(line);
}

void History::Save() {
    if (added_.empty())
        return;
    const std::string complaint = "history could not be saved to " + location_.path;
    if (location_.makeDirectories) {
        if (const int error = MakeDirectories(Parent(location_.path))) {
            Complain(complaint, error);
            return;
        }
    }
    const std::string target = Resolve(location_.path);
    struct stat status {};
    if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return;  // no place to keep it, as Load found
    try {
        const DirectoryLock lock(Parent(target));
        std::string text;
        if (const int error = ReadFile(target, text); error != 0 && error != ENOENT) {
            Complain(complaint, error);
            return;
        }
        std::vector<std::string> lines = LastLines(text);
        for (std::string& line : added_) {
            if (lines.empty() || lines.back() != line)
                lines.push_back(std::move(line));
        }
        added_.clear();
        text.clear();
        const size_t first = lines.size() > kHistoryLines ? lines.size() - kHistoryLines : 0;
        for (size_t i = first; i < lines.size(); ++i)
            text.append(lines[i]).append("\n");
        if (const int error = Replace(target, text))
            Complain(complaint, error);
    } catch (const std::bad_alloc&) {
        Complain(complaint, ENOMEM);
    }
}

}  // namespace expreval
