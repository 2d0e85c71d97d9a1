#include "console/line_editor.h"

#include <histedit.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <string_view>
#include <vector>

#include "console/completion.h"
#include "console/console.h"

namespace expreval {

namespace {

constexpr int kHistorySize = 1000;

char* Prompt(EditLine*) {
    return const_cast<char*>(kPrompt);  // libedit only reads it
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

// libedit reads keys as characters of the locale's encoding and drops bytes
// that are none. The terminal's locale, unless it knows ASCII alone: then
// UTF-8, which keeps what a terminal sends for characters beyond it.
void ChooseEncoding() {
    std::setlocale(LC_CTYPE, "");
    const std::string_view codeset = nl_langinfo(CODESET);
    if (codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII")
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

void Configure(EditLine* editLine, History* lineHistory) {
    HistEvent event;
    history(lineHistory, &event, H_SETSIZE, kHistorySize);
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
}

}  // namespace

std::unique_ptr<LineEditor> LineEditor::Open() {
    ChooseEncoding();
    EditLine* editLine = el_init("expreval", stdin, stdout, stderr);
    if (editLine == nullptr)
        return nullptr;
    History* lineHistory = history_init();
    if (lineHistory == nullptr) {
        el_end(editLine);
        return nullptr;
    }
    Configure(editLine, lineHistory);
    return std::unique_ptr<LineEditor>(new LineEditor(editLine, lineHistory));
}

LineEditor::LineEditor(EditLine* editLine, History* lineHistory)
    : editLine_(editLine), history_(lineHistory) {}

LineEditor::~LineEditor() {
    el_end(editLine_);
    history_end(history_);
}

std::optional<std::string> LineEditor::ReadLine() {
    int count = 0;
    const char* text = el_gets(editLine_, &count);
    if (text == nullptr || count <= 0)
        return std::nullopt;
    std::string line(text, static_cast<size_t>(count));
    if (line.back() == '\n')
        line.pop_back();
    return line;
}

void LineEditor::Remember(const std::string& line) {
    HistEvent event;
    history(history_, &event, H_ENTER, line.c_str());
}

}  // namespace expreval
