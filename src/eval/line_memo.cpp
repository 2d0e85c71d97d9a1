#include "eval/line_memo.h"

#include <algorithm>
#include <cstring>

#include "value/lexicon.h"
#include "value/value.h"

namespace expreval {

void LineMemo::LearnQuotes() {
    quotesLearnt_ = true;
    const char* const start = line_.data();
    const char* const end = start + line_.size();
    for (const char* p = start; p != end; ++p) {
        p = static_cast<const char*>(std::memchr(p, kQuote, static_cast<std::size_t>(end - p)));
        if (p == nullptr)
            break;
        quotes_.push_back(static_cast<std::size_t>(p - start));
    }
}

// One pass with the closing search's own state: quotes toggle it, and a "{"
// or "}" outside quotes opens or closes braces. A "(" met outside both is
// matched as the search from it would match it, which starts in that same
// state.
void LineMemo::LearnParentheses() {
    parenthesesLearnt_ = true;
    bool inQuotes = false;
    bool inBraces = false;
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < line_.size(); ++i) {
        const char ch = line_[i];
        if (ch == kQuote) {
            inQuotes = !inQuotes;
        } else if (inQuotes) {
            continue;
        } else if (ch == '{') {
            inBraces = true;
        } else if (ch == '}') {
            inBraces = false;
        } else if (!inBraces && ch == '(') {
            pending.push_back(opens_.size());
            opens_.push_back(Open{i, kNone});
        } else if (!inBraces && ch == ')' && !pending.empty()) {
            opens_[pending.back()].closing = i;
            pending.pop_back();
        }
    }
}

bool LineMemo::Kept(std::string_view text) {
    if (!quotesLearnt_)
        LearnQuotes();
    const auto start = static_cast<std::size_t>(text.data() - line_.data());
    const auto before = std::lower_bound(quotes_.begin(), quotes_.end(), start) - quotes_.begin();
    return before % 2 == 0;
}

std::size_t LineMemo::CallEnd(std::string_view text, std::size_t open) {
    if (!parenthesesLearnt_)
        LearnParentheses();
    const auto offset = static_cast<std::size_t>(text.data() - line_.data());
    const std::size_t at = offset + open;
    const auto found =
        std::lower_bound(opens_.begin(), opens_.end(), at,
                         [](const Open& o, std::size_t position) { return o.at < position; });
    if (found == opens_.end() || found->at != at)
        return expreval::CallEnd(text, open);  // met inside braces or quotes by the pass
    if (found->closing == kNone || found->closing >= offset + text.size())
        return kNoToken;
    return found->closing - offset + 1;
}

}  // namespace expreval
