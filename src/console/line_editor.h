// Line editing through libedit for a person at a terminal: cursor keys,
// in-line editing, Tab completion of names and a history of the lines of this
// run. The history lives in memory only; no start-up file is read.
#pragma once

#include <memory>
#include <string>

#include "console/line_source.h"

struct editline;
struct history;

namespace expreval {

class LineEditor {
  public:
    // Null when libedit cannot take over the terminal. A byte that can be
    // read from wake (unless that is -1) ends the wait for a key.
    static std::unique_ptr<LineEditor> Open(int wake);

    ~LineEditor();
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Shows the prompt and reads one line into line, without its line feed:
    // kLine, or kEnd at the end of input (Ctrl-D on an empty line), or
    // kInterrupted when wake ended the wait and the line typed so far is
    // dropped. The byte on wake is left for its owner to read.
    LineRead ReadLine(std::string& line);

    // Adds line to the history that Up and Down walk through.
    void Remember(const std::string& line);

    // What the key reader, called by libedit, works with.
    struct KeyReader {
        int wake;
        bool woken = false;
    };

  private:
    LineEditor(editline* editLine, history* lineHistory, int wake);

    editline* editLine_;
    history* history_;
    KeyReader reader_;
};

}  // namespace expreval
