#include "expreval/values.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "eval/whole_value.h"
#include "value/lexicon.h"
#include "value/value.h"

// Each helper builds or reads a text and lets IsValueText, the rule every
// stored value follows, decide whether it may stand.
namespace expreval {

bool IsValueText(std::string_view text) {
    return IsStorableValue(text);
}

namespace {

[[noreturn]] void Refuse(const char* what, std::string_view text) {
    throw std::invalid_argument(std::string("expreval: ") + what + ": " + std::string(text));
}

}  // namespace

std::string ToStringValue(std::string_view characters) {
    std::string value;
    value.reserve(characters.size() + 2);
    value += kQuote;
    value += characters;
    value += kQuote;
    if (!IsValueText(value))
        Refuse("no string value holds these characters", characters);
    return value;
}

std::string FromStringValue(std::string_view value) {
    if (!IsString(value) || !IsValueText(value))
        Refuse("not a string value", value);
    return std::string(value.substr(1, value.size() - 2));
}

std::string ToListValue(const std::vector<std::string>& elements) {
    if (elements.empty())
        throw std::invalid_argument("expreval: a list has at least one element");
    std::string list(1, '{');
    for (const std::string& element : elements) {
        if (!IsValueText(element))
            Refuse("not a value text", element);
        if (list.size() > 1)
            list += ',';
        list += element;
    }
    list += '}';
    if (!IsValueText(list) || FromListValue(list) != elements)
        Refuse("no list value holds these elements", list);
    return list;
}

std::vector<std::string> FromListValue(std::string_view value) {
    if (!IsList(value) || !IsValueText(value))
        Refuse("not a list value", value);
    std::vector<std::string> elements;
    for (const std::string_view element : ListElements(value))
        elements.emplace_back(element);
    return elements;
}

std::string ToNumberValue(double number) {
    return NumberToText(number);
}

double FromNumberValue(std::string_view value) {
    if (const std::optional<double> nonFinite = NonFiniteNumber(value))
        return *nonFinite;
    if (IsString(value) || IsList(value) || !IsValueText(value))
        Refuse("not a number value", value);
    return TextToNumber(value);
}

// A name starts with a letter, so the digits that lead the trailing run of
// letters and digits belong to a number before it.
std::optional<std::string> NameAtEnd(std::string_view text) {
    if (std::count(text.begin(), text.end(), kQuote) % 2 == 1)
        return std::nullopt;
    size_t start = text.size();
    while (start > 0 && IsNameChar(text[start - 1]))
        --start;
    while (start < text.size() && !IsNameStart(text[start]))
        ++start;
    std::string name(text.substr(start));
    FoldCase(name);
    return name;
}

}  // namespace expreval
