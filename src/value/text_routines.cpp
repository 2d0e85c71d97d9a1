#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

namespace {

// Clamps a search range to one past its last character: an end before the
// start, or past the text, means "to the end of the text".
size_t SearchStop(std::string_view text, size_t start, size_t end) {
    if (end < start || end >= text.size())
        return text.size();
    return end + 1;
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
    // Within quotes nothing but a quote changes the state: where the next
    // one is, from i on, or stop.
    static size_t ClosingQuote(std::string_view text, size_t i, size_t stop) {
        const void* quote = std::memchr(text.data() + i, kQuote, stop - i);
        return quote == nullptr
                   ? stop
                   : static_cast<size_t>(static_cast<const char*>(quote) - text.data());
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

size_t FindTopLevel(std::string_view text, char c, size_t start, size_t end) {
    const size_t stop = SearchStop(text, start, end);
    ScanState state;
    for (size_t i = start; i < stop; ++i) {
        if (state.inQuotes && (i = state.ClosingQuote(text, i, stop)) == stop)
            break;
        const char ch = text[i];
        if (ch == c && state.AtTopLevel())
            return i;
        state.Step(ch);
    }
    return kNotFound;
}

// Brackets and the quote: the only characters that can change a search for
// a closing bracket. Every other one is passed over by one look here.
constexpr std::array<bool, 256> kBracketsAndQuote = [] {
    std::array<bool, 256> table{};
    for (const char ch : {'(', ')', '[', ']', '{', '}', kQuote})
        table[static_cast<unsigned char>(ch)] = true;
    return table;
}();

// A string is passed over to its closing quote at once; within braces no
// bracket counts.
size_t FindClosing(std::string_view text, char open, char close, size_t start, size_t end) {
    const size_t stop = SearchStop(text, start, end);
    bool inBraces = false;
    std::ptrdiff_t depth = 0;  // goes below zero on a stray close, and stays off
    for (size_t i = start; i < stop; ++i) {
        const char ch = text[i];
        if (!kBracketsAndQuote[static_cast<unsigned char>(ch)])
            continue;
        if (ch == kQuote) {
            if ((i = ScanState::ClosingQuote(text, i + 1, stop)) == stop)
                break;
        } else if (ch == '{' || ch == '}') {
            inBraces = ch == '{';
        } else if (!inBraces) {
            if (ch == open)
                ++depth;
            else if (ch == close && --depth == 0)
                return i;
        }
    }
    return kNotFound;
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

std::vector<std::string_view> ListElements(std::string_view list) {
    std::vector<std::string_view> elements;
    ForEachListElement(list, [&elements](std::string_view element) {
        elements.push_back(element);
        return true;
    });
    return elements;
}

// The C library's search takes time in proportion to the two lengths, where
// a plain search may take their product: a megabyte of "a" searched for half
// a megabyte of "a" and a "b" would run for hours.
// It goes through a long text in windows, each overlapping the next by the
// length of right, so that an interrupt can be seen between two of them; a
// window at least as long as right keeps the whole search linear.
bool ContainsText(std::string_view left, std::string_view right, void (*betweenWindows)(void*),
                  void* data) {
    constexpr size_t kWindow = size_t{4} << 20;
    const size_t window = std::max(kWindow, right.size());
    for (size_t start = 0;; start += window) {
        const size_t length = std::min(left.size() - start, window + right.size());
        if (memmem(left.data() + start, length, right.data(), right.size()) != nullptr)
            return true;
        if (left.size() - start <= window + right.size())
            return false;
        if (betweenWindows != nullptr)
            betweenWindows(data);
    }
}

bool LacksText(std::string_view left, std::string_view right, void (*betweenWindows)(void*),
               void* data) {
    return !ContainsText(left, right, betweenWindows, data);
}

}  // namespace expreval
