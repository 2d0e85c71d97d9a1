#include "console/completion.h"

#include <algorithm>

#include "session/session.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

namespace {

bool InsideString(std::string_view text) {
    return std::count(text.begin(), text.end(), kQuote) % 2 == 1;
}

// The name being typed, lower-cased: the trailing run of letters and digits
// from its first letter on (in 2x the name is x).
std::string NameBeforeCursor(std::string_view text) {
    size_t start = text.size();
    while (start > 0 && (IsLetter(text[start - 1]) || IsDigit(text[start - 1])))
        --start;
    while (start < text.size() && IsDigit(text[start]))
        ++start;
    std::string name(text.substr(start));
    FoldCase(name);
    return name;
}

template <typename T, typename KeyOf>
void CollectMatches(const SymbolList<T>& list, KeyOf key, std::string_view prefix,
                    std::string_view suffix, std::vector<std::string>& matches) {
    for (const T* p = list.Sentinel()->next; p != list.Sentinel(); p = p->next) {
        const std::string& name = key(*p);
        if (name.starts_with(prefix))
            matches.push_back(name + std::string(suffix));
    }
}

size_t SharedPrefixLength(const std::vector<std::string>& texts) {
    size_t length = texts.front().size();
    for (const std::string& text : texts) {
        const auto first = texts.front().begin();
        const auto differs = std::mismatch(first, first + length, text.begin(), text.end()).first;
        length = static_cast<size_t>(differs - first);
    }
    return length;
}

// The tables whose names Tab completes; null for g_variables alone.
SessionTables* g_completed = nullptr;

}  // namespace

UsingSession::UsingSession(Session& session) : previous_(g_completed) {
    g_completed = &TablesOf(session);
}

UsingSession::~UsingSession() {
    g_completed = previous_;
}

Completion CompleteName(std::string_view beforeCursor) {
    Completion completion;
    if (InsideString(beforeCursor))
        return completion;
    const std::string prefix = NameBeforeCursor(beforeCursor);
    std::vector<std::string>& matches = completion.candidates;
    CollectMatches(
        *g_functions, [](const Function& f) -> const std::string& { return f.name; }, prefix, "(",
        matches);
    if (g_completed != nullptr)
        CollectMatches(
            g_completed->functions, [](const Function& f) -> const std::string& { return f.name; },
            prefix, "(", matches);
    CollectMatches(
        g_completed != nullptr ? g_completed->variables : *g_variables,
        [](const Variable& v) -> const std::string& { return v.name; }, prefix, "", matches);
    if (matches.empty())
        return completion;
    std::sort(matches.begin(), matches.end());
    const size_t shared = SharedPrefixLength(matches);
    completion.insertion = matches.front().substr(prefix.size(), shared - prefix.size());
    return completion;
}

}  // namespace expreval
