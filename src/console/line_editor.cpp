#include "console/line_editor.h"

#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cwchar>
#include <string_view>
#include <utility>
#include <vector>

#include "console/completion.h"
#include "console/history.h"

namespace expreval {

namespace {

char* Prompt(EditLine* editLine) {
    LineEditor::Callbacks* callbacks = nullptr;
    el_get(editLine, EL_CLIENTDATA, &callbacks);
    // libedit only reads it
    return const_cast<char*>(callbacks != nullptr ? callbacks->prompt : "");
}

void ListCandidates(EditLine* editLine, const std::vector<std::string>& candidates) {
    FILE* terminal = nullptr;
    if (el_get(editLine, EL_GETFP, 1, &terminal) != 0 || terminal == nullptr)
        return;
    const char* separator = "\n";
    for (const std::string& candidate : candidates) {
        std::fprintf(terminal, "%s%s", separator, candidate.c_str());
        separator = "  ";
    }
    std::fputc('\n', terminal);
    std::fflush(terminal);
}

// Bound to Tab: completes the name before the cursor as far as it is
// unambiguous, and lists the choices when it cannot go further.
unsigned char CompleteAtCursor(EditLine* editLine, wint_t) {
    const LineInfo* line = el_line(editLine);
    const Completion completion = CompleteName(
        std::string_view(line->buffer, static_cast<size_t>(line->cursor - line->buffer)));
    if (completion.candidates.empty())
        return CC_ERROR;
    if (!completion.insertion.empty())
        return el_insertstr(editLine, completion.insertion.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    if (completion.candidates.size() == 1)
        return CC_NORM;
    ListCandidates(editLine, completion.candidates);
    return CC_REDISPLAY;
}

// Bound to Ctrl-D: on an empty line it ends the input without echoing ^D;
// elsewhere it deletes the character under the cursor.
unsigned char EndOrDelete(EditLine* editLine, wint_t) {
    const LineInfo* line = el_line(editLine);
    if (line->buffer == line->lastchar)
        return CC_EOF;
    if (line->cursor == line->lastchar)
        return CC_ERROR;
    el_cursor(editLine, 1);
    el_deletestr(editLine, 1);
    return CC_REFRESH;
}

// libedit's own reader reads again when a signal cuts a read short, so a
// Ctrl-C would not end the line being typed. This one waits for the wake
// descriptor as well, and turns bytes into characters of the locale's
// encoding as libedit does: a byte that cannot continue a character starts
// the next one, and one that can start none is dropped.
int ReadKey(EditLine* editLine, wchar_t* key) {
    LineEditor::Callbacks* reader = nullptr;
    el_get(editLine, EL_CLIENTDATA, &reader);
    std::mbstate_t state{};
    bool midCharacter = false;
    while (true) {
        if (!AwaitInput(STDIN_FILENO, reader->wake)) {
            reader->woken = true;
            return -1;
        }
        char byte;
        const ssize_t count = read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return static_cast<int>(count);
        size_t size = std::mbrtowc(key, &byte, 1, &state);
        if (size == static_cast<size_t>(-1) && std::exchange(midCharacter, false)) {
            state = {};
            size = std::mbrtowc(key, &byte, 1, &state);
        }
        midCharacter = size == static_cast<size_t>(-2);
        if (size == static_cast<size_t>(-1))
            state = {};
        else if (!midCharacter)
            return 1;  // size 0 is the NUL character, stored as such
    }
}

// libedit reads keys as characters of the locale's encoding and drops bytes
// that are none. The terminal's locale, unless it knows ASCII alone: then
// UTF-8, which keeps what a terminal sends for characters beyond it.
void ChooseEncoding() {
    std::setlocale(LC_CTYPE, "");
    const std::string_view codeset = nl_langinfo(CODESET);
    if (codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII")
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

void Configure(EditLine* editLine, ::History* lineHistory) {
    HistEvent event;
    history(lineHistory, &event, H_SETSIZE, static_cast<int>(kHistoryLines));
    history(lineHistory, &event, H_SETUNIQUE, 1);
    el_set(editLine, EL_EDITOR, "emacs");
    el_set(editLine, EL_SIGNAL, 1);  // restore the terminal on signals, follow resizes
    el_set(editLine, EL_PROMPT, &Prompt);
    el_set(editLine, EL_HIST, history, lineHistory);
    // The wide form keeps pointers to these literals; the narrow one would
    // copy them and never free the copies.
    el_wset(editLine, EL_ADDFN, L"expreval-complete", L"Complete a function or variable name",
            &CompleteAtCursor);
    el_set(editLine, EL_BIND, "^I", "expreval-complete", nullptr);
    el_wset(editLine, EL_ADDFN, L"expreval-end-or-delete", L"End the input or delete a character",
            &EndOrDelete);
    el_set(editLine, EL_BIND, "^D", "expreval-end-or-delete", nullptr);
    el_set(editLine, EL_GETCFN, &ReadKey);
}

}  // namespace

std::unique_ptr<LineEditor> LineEditor::Open(int wake, const char* prompt) {
    ChooseEncoding();
    EditLine* editLine = el_init("expreval", stdin, stdout, stderr);
    if (editLine == nullptr)
        return nullptr;
    ::History* lineHistory = history_init();
    if (lineHistory == nullptr) {
        el_end(editLine);
        return nullptr;
    }
    Configure(editLine, lineHistory);
    return std::unique_ptr<LineEditor>(new LineEditor(editLine, lineHistory, wake, prompt));
}

// The callbacks find their state through the client data, which must not
// move: the editor is only ever held by pointer.
LineEditor::LineEditor(EditLine* editLine, ::History* lineHistory, int wake, const char* prompt)
    : editLine_(editLine), history_(lineHistory), callbacks_{wake, prompt} {
    el_set(editLine_, EL_CLIENTDATA, &callbacks_);
}

LineEditor::~LineEditor() {
    el_end(editLine_);
    history_end(history_);
}

LineRead LineEditor::ReadLine(std::string& line) {
    callbacks_.woken = false;
    int count = 0;
    const char* text = el_gets(editLine_, &count);
    if (callbacks_.woken)
        return LineRead::kInterrupted;
    if (text == nullptr || count <= 0)
        return LineRead::kEnd;
    line.assign(text, static_cast<size_t>(count));
    if (line.back() == '\n')
        line.pop_back();
    return LineRead::kLine;
}

void LineEditor::Remember(const std::string& line) {
    HistEvent event;
    history(history_, &event, H_ENTER, line.c_str());
}

}  // namespace expreval
