#include "console/completion.h"

#include <algorithm>

#include "expreval/session.h"
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

void CollectMatches(const std::vector<std::string>& names, std::string_view prefix,
                    std::string_view suffix, std::vector<std::string>& matches) {
    for (const std::string& name : names) {
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

// The session whose names Tab completes; with none, nothing is offered.
const Session* g_completed = nullptr;

}  // namespace

UsingSession::UsingSession(Session& session) : previous_(g_completed) {
    g_completed = &session;
}

UsingSession::~UsingSession() {
    g_completed = previous_;
}

Completion CompleteName(std::string_view beforeCursor) {
    Completion completion;
    if (g_completed == nullptr || InsideString(beforeCursor))
        return completion;
    const std::string prefix = NameBeforeCursor(beforeCursor);
    std::vector<std::string>& matches = completion.candidates;
    CollectMatches(g_completed->FunctionNames(), prefix, "(", matches);
    CollectMatches(g_completed->VariableNames(), prefix, "", matches);
    if (matches.empty())
        return completion;
    std::sort(matches.begin(), matches.end());
    const size_t shared = SharedPrefixLength(matches);
    completion.insertion = matches.front().substr(prefix.size(), shared - prefix.size());
    return completion;
}

}  // namespace expreval
