// Value texts: the three forms a value takes (list, string, number), the
// conversions between number texts and doubles, the quote-aware text
// routines every other subsystem shares, and Exception, the one error type.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expreval/exception.h"

namespace expreval {

inline constexpr char kQuote = '"';

inline bool IsList(std::string_view value) {
    return !value.empty() && value[0] == '{';
}
inline bool IsString(std::string_view value) {
    return !value.empty() && value[0] == kQuote;
}

// Removes blanks, tabs, line feeds and carriage returns outside double quotes.
void StripWhiteSpace(std::string& text);
// Lower-cases "A" to "Z" outside double quotes.
void FoldCase(std::string& text);
// StripWhiteSpace and then FoldCase, in one pass: neither moves a quote, so
// both see the same quote state at every character.
void StripWhiteSpaceAndFoldCase(std::string& text);

// What the two searches below give when there is no such position.
inline constexpr size_t kNotFound = std::string_view::npos;
// To the end of the text, as the end of a search range.
inline constexpr size_t kToEnd = std::string_view::npos;

// Position of c at top level (outside quotes, brace flag clear) between start
// and end inclusive, or kNotFound. An end below start, or past the text,
// means "to the end of the text".
size_t FindTopLevel(std::string_view text, char c, size_t start, size_t end = kToEnd);
// Position of the close that balances the open at start, or kNotFound;
// open and close are a pair of brackets: "()" or "[]".
size_t FindClosing(std::string_view text, char open, char close, size_t start, size_t end = kToEnd);

// The elements of a list text as the element-wise operations take it apart:
// between the top-level commas after its opening brace, the last one up to
// its last character, taken to be the closing brace. "{}" has one, empty.
// each(element) is called for them in order, each a view of list; the walk
// stops, false, at the first that each returns false for.
template <typename Each>
bool ForEachListElement(std::string_view list, Each each) {
    size_t start = 1;
    for (size_t p = FindTopLevel(list, ',', start); p != kNotFound;
         p = FindTopLevel(list, ',', start)) {
        if (!each(list.substr(start, p - start)))
            return false;
        start = p + 1;
    }
    const size_t last = (list.size() > 2 ? list.size() : 2) - 1;  // the closing brace
    const size_t from = start < last ? start : last;
    return each(list.substr(from, last - from));
}
std::vector<std::string_view> ListElements(std::string_view list);

constexpr bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
constexpr bool IsLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

// True when the text has neither "." nor a lower-case "e".
bool IsIntegerText(std::string_view text);
// Erases the first "." and everything after it.
void DropFraction(std::string& text);
// Searching a long text goes window by window, and calls betweenWindows,
// when given, with data between two of them: where an evaluation checks for
// an interrupt.
bool ContainsText(std::string_view left, std::string_view right,
                  void (*betweenWindows)(void* data) = nullptr, void* data = nullptr);
bool LacksText(std::string_view left, std::string_view right,
               void (*betweenWindows)(void* data) = nullptr, void* data = nullptr);

// A number text written lately, with what it reads as (value/number_text.h):
// an evaluation keeps one, and the routines below that write a number text
// keep it there when given it, and those that read one look there first.
class LastNumber;

// 14 significant digits; fixed form from 0.1 up to 1e14, exponent form with a
// three-digit exponent otherwise; the point always stays ("5.").
std::string NumberToText(double x, LastNumber* last = nullptr);
// For a whole number below 10^14 in magnitude: what DropFraction leaves of
// NumberToText's text, its digits without the point, written directly into
// text. False, with text untouched, for any other number.
bool WholeNumberText(double x, std::string& text, LastNumber* last = nullptr);
// The text of an arithmetic result: with integers (both operands integer
// texts), a fixed form is cut to its integer part; exponent forms and
// non-finite texts stay whole, since cutting them would change their value.
std::string ArithmeticResultText(bool integers, double value, LastNumber* last = nullptr);
// The longest decimal prefix (sign, digits, one point, exponent), else 0.
double TextToNumber(std::string_view text);
// The infinity or not-a-number that NumberToText writes as text, for a host
// that must tell them from 1 and -1, which is what TextToNumber reads them
// as; nothing for any other text.
std::optional<double> NonFiniteNumber(std::string_view text);
// The double a number text stands for, as a host reads it: what
// TextToNumber reads, but the forms of infinity and not-a-number stand for
// themselves.
double HostNumber(std::string_view text);

// A number read from a text that is nothing but a plain number: its value
// (what TextToNumber gives) and whether IsIntegerText holds for the text.
struct PlainNumber {
    double value = 0;
    bool integer = false;
};
// True, with number filled in, when text is one number token as the scanner
// reads it, unchanged by the rewrite, and short enough to be read exactly in
// one pass: such a text evaluates to itself.
bool ReadPlainNumber(std::string_view text, PlainNumber& number, const LastNumber* last = nullptr);

}  // namespace expreval
