#include "console/completion.h"

#include <algorithm>
#include <optional>

#include "expreval/session.h"
#include "expreval/values.h"

namespace expreval {

namespace {

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
    const std::optional<std::string> name = NameAtEnd(beforeCursor);
    if (g_completed == nullptr || !name)
        return completion;
    const std::string& prefix = *name;
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
