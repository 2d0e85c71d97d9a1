#include <algorithm>
#include <climits>

#include "eval/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// Clamps a search range: an end before the start means "to the last character".
int SearchEnd(std::string_view text, int start, int end) {
    const int last = static_cast<int>(std::min<size_t>(text.size(), INT32_MAX)) - 1;
    if (end < std::max(start, 0) || end > last)
        return last;
    return end;
}

// Quote state and brace flag shared by the two searches.
struct ScanState {
    bool inQuotes = false;
    bool inBraces = false;

    bool AtTopLevel() const { return !inQuotes && !inBraces; }
    void Step(char ch) {
        if (ch == '{' && !inQuotes)
            inBraces = true;
        if (ch == '}' && !inQuotes)
            inBraces = false;
        if (ch == kQuote)
            inQuotes = !inQuotes;
    }
};

}  // namespace

// Compacts in place, so the cost stays linear however much is removed.
void StripWhiteSpace(std::string& text) {
    bool inQuotes = false;
    size_t kept = 0;
    for (const char ch : text) {
        if (ch == kQuote)
            inQuotes = !inQuotes;
        if (!inQuotes && IsWhiteSpace(ch))
            continue;
        text[kept++] = ch;
    }
    text.resize(kept);
}

bool RewriteKeeps(std::string_view text) {
    return FirstAffectingRewriteByWords(text) == text.size();
}

// Works through plain pointers: stores through a char may alias the string
// object itself, which would make the compiler reload its data each time.
// Most lines hold no white space, capital or quote: those stay untouched.
void StripWhiteSpaceAndFoldCase(std::string& text) {
    const std::size_t first = FirstAffectingRewriteByWords(text);
    if (first == text.size())
        return;
    bool inQuotes = false;
    char* kept = text.data() + first;
    for (const char *from = kept, *end = text.data() + text.size(); from != end; ++from) {
        const char ch = *from;
        if (ch == kQuote)
            inQuotes = !inQuotes;
        if (inQuotes) {
            *kept++ = ch;
        } else if (!IsWhiteSpace(ch)) {
            *kept++ = IsCapital(ch) ? static_cast<char>(ch + 32) : ch;
        }
    }
    text.resize(static_cast<size_t>(kept - text.data()));
}

void FoldCase(std::string& text) {
    bool inQuotes = false;
    for (char& ch : text) {
        if (ch == kQuote)
            inQuotes = !inQuotes;
        if (!inQuotes && IsCapital(ch))
            ch = static_cast<char>(ch + 32);
    }
}

int FindTopLevel(std::string_view text, char c, int start, int end) {
    end = SearchEnd(text, start, end);
    ScanState state;
    for (int i = std::max(start, 0); i <= end; ++i) {
        const char ch = text[static_cast<size_t>(i)];
        if (ch == c && state.AtTopLevel())
            return i;
        state.Step(ch);
    }
    return -1;
}

// Characters other than the two searched for, braces and quotes change
// nothing and are passed over at once.
int FindClosing(std::string_view text, char open, char close, int start, int end) {
    end = SearchEnd(text, start, end);
    ScanState state;
    int depth = 0;
    for (int i = std::max(start, 0); i <= end; ++i) {
        const char ch = text[static_cast<size_t>(i)];
        if (ch != open && ch != close && ch != '{' && ch != '}' && ch != kQuote)
            continue;
        if (ch == open && state.AtTopLevel())
            ++depth;
        if (ch == close && state.AtTopLevel() && --depth == 0)
            return i;
        state.Step(ch);
    }
    return -1;
}

// A plain loop: find_first_of would search the two-letter set once per byte.
bool IsIntegerText(std::string_view text) {
    for (const char ch : text) {
        if (ch == '.' || ch == 'e')
            return false;
    }
    return true;
}

void DropFraction(std::string& text) {
    const size_t point = text.find('.');
    if (point != std::string::npos)
        text.erase(point);
}

// The C library's search takes time in proportion to the two lengths, where
// a plain search may take their product: a megabyte of "a" searched for half
// a megabyte of "a" and a "b" would run for hours.
bool ContainsText(std::string_view left, std::string_view right) {
    return memmem(left.data(), left.size(), right.data(), right.size()) != nullptr;
}

bool LacksText(std::string_view left, std::string_view right) {
    return !ContainsText(left, right);
}

}  // namespace expreval
