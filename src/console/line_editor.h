// Line editing through libedit for a person at a terminal: cursor keys,
// in-line editing, Tab completion of names and a history of the lines typed,
// which Remember fills. No start-up file is read.
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
    // read from wake (unless that is -1) ends the wait for a key. prompt
    // must outlive the editor.
    static std::unique_ptr<LineEditor> Open(int wake, const char* prompt);

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

    // What the callbacks that libedit calls work with.
    struct Callbacks {
        int wake;
        const char* prompt;
        bool woken = false;  // the key reader found a byte on wake
    };

  private:
    LineEditor(editline* editLine, history* lineHistory, int wake, const char* prompt);

    editline* editLine_;
    history* history_;
    Callbacks callbacks_;
};

}  // namespace expreval
