// Line editing through libedit for a person at a terminal: cursor keys,
// in-line editing, Tab completion of names and a history of the lines of this
// run. The history lives in memory only; no start-up file is read.
#pragma once

#include <memory>
#include <optional>
#include <string>

struct editline;
struct history;

namespace expreval {

class LineEditor {
  public:
    // Null when libedit cannot take over the terminal.
    static std::unique_ptr<LineEditor> Open();

    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Shows the prompt and reads one line, without its line feed; nothing at
    // the end of input (Ctrl-D on an empty line).
    std::optional<std::string> ReadLine();

    // Adds line to the history that Up and Down walk through.
    void Remember(const std::string& line);

  private:
    LineEditor(editline* editLine, history* lineHistory);

    editline* editLine_;
    history* history_;
};

}  // namespace expreval
