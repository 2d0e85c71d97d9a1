// Value texts built from C++ values and read back into them, by the rules
// evaluation itself follows. See docs/embedding.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "expreval/export.h"

namespace expreval {

// True when text is one value as evaluation writes it: a number, a string
// in quotes or a list in braces, that evaluates to itself. What an
// assignment can store, and what SetVariable and a host's value function
// must give. A host's value must be one, since operands are evaluated again
// where they are used. A list with an empty element ("{1,,2}", "{,}", "{}")
// is not: evaluating the empty element fails wherever the list is used
// element by element. Nor are a list holding a list ("{{4},8}") and the
// texts of infinities ("1.#INF"), which no text reads back.
EXPREVAL_API bool IsValueText(std::string_view text);

// The string value of characters: the characters between double quotes, as
// they stand. Nothing is escaped or unescaped; a backslash stays in the
// string and keeps the character after it there. Throws
// std::invalid_argument when the result would not be a value text: a quote
// without a backslash before it, a backslash at the end, and white space or
// a capital letter after a quote that a backslash keeps.
EXPREVAL_API std::string ToStringValue(std::string_view characters);
// The characters of a string value, between its quotes, as they stand.
// Throws std::invalid_argument for any text but a string value text.
EXPREVAL_API std::string FromStringValue(std::string_view value);

// The list value of elements, each a value text: they are joined by commas
// in braces. Throws std::invalid_argument for an empty vector (a list has at
// least one element), an element that is not a value text, or elements the
// list would not give back as they are: a list, or a string that holds a
// brace or a quote kept by a backslash.
EXPREVAL_API std::string ToListValue(const std::vector<std::string>& elements);
// The element texts of a list value, as operations on lists take it apart.
// Throws std::invalid_argument for any text but a list value text.
EXPREVAL_API std::vector<std::string> FromListValue(std::string_view value);

// The number text evaluation writes for number (14 significant digits,
// "5.", "5.e-002"; "1.#INF", "-1.#INF" and "1.#QNAN" or "-1.#IND" for the
// values that are not finite, which are not value texts).
EXPREVAL_API std::string ToNumberValue(double number);
// The double a number value text stands for, read as evaluation reads
// numbers ("5.e-002" gives 0.05, "007" 7), and the infinity or not-a-number
// of each text ToNumberValue writes for one. Throws std::invalid_argument
// for any other text.
EXPREVAL_API double FromNumberValue(std::string_view value);

// For an editor completing names: the name a partly typed expression ends
// with, as evaluation would read it (lower case; in "2X" the name is x;
// empty when it ends with no name), or nothing when it ends inside a string.
EXPREVAL_API std::optional<std::string> NameAtEnd(std::string_view text);

}  // namespace expreval
