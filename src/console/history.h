// The lines typed at a terminal, kept from one run of the console to the
// next: a file of one line each, the newest last. A history that cannot be
// read or written never stops the console; it says so once, on one line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace expreval {

// How many lines the file keeps: those typed last.
inline constexpr size_t kHistoryLines = 1000;

struct HistoryLocation {
    std::string path;
    bool makeDirectories = false;  // the default place is made when missing
};

// Where the history is kept: setting (EXPREVAL_HISTORY) when it is given,
// nowhere when that is empty; else expreval/history under stateHome
// (XDG_STATE_HOME) when that is an absolute path, else under
// home/.local/state. Nothing when no place is known.
std::optional<HistoryLocation> FindHistory(const char* setting, const char* stateHome,
                                           const char* home);

// The same, from this process's environment.
std::optional<HistoryLocation> FindHistoryInEnvironment();

class History {
  public:
    // Complaints go to err.
    History(HistoryLocation location, std::ostream& err);

    // The lines kept, oldest first: none when there is no file yet.
    std::vector<std::string> Load();

    // A line typed in this run.
    void Add(const std::string& line);

    // Puts the lines added in this run after those the file holds now (which
    // another console may have saved meanwhile), keeps the last
    // kHistoryLines and replaces the file with them in one step, so that a
    // reader, or a console that ends at the same time, finds either the old
    // file or the new one, whole. Nothing is written when no line was added.
    void Save();

  private:
    void Complain(const std::string& what, int error);

    HistoryLocation location_;
    std::ostream& err_;
    std::vector<std::string> added_;
    bool complained_ = false;
};

}  // namespace expreval
