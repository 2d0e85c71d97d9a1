// What is learnt of a long rewritten text in one pass, so that the texts
// evaluated inside it, one level of nesting after another, are not read to
// their end again at every level: where each parenthesis closes, and where
// the quotes are. Each answer is exactly the plain routine's (FindClosing,
// KeptByRewrite) for the same view; tests hold them equal.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "eval/context.h"

namespace expreval {

class LineMemo {
  public:
    // Shorter texts are read by the plain routines: a pass would cost more.
    static constexpr std::size_t kLongText = 512;

    explicit LineMemo(std::string_view line) : line_(line) {}

    // Whether text is a view into the line.
    bool Holds(std::string_view text) const {
        return text.data() >= line_.data() &&
               text.data() + text.size() <= line_.data() + line_.size();
    }

    // For a view into the line: the rewrite would keep it, since it starts
    // outside quotes as the rewrite counts them, within a text the rewrite
    // kept.
    bool Kept(std::string_view text);

    // For a view into the line: CallEnd(text, open).
    std::size_t CallEnd(std::string_view text, std::size_t open);

  private:
    struct Open {
        std::size_t at;
        std::size_t closing;  // kNone when nothing closes it
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void LearnQuotes();
    void LearnParentheses();

    std::string_view line_;
    bool quotesLearnt_ = false;
    bool parenthesesLearnt_ = false;
    std::vector<std::size_t> quotes_;
    // Every "(" outside quotes and braces as the closing search counts them,
    // in order.
    std::vector<Open> opens_;
};

// While it lives, a long text is the line under evaluation, so that what
// one pass learns of it serves the texts evaluated inside it.
class LineScope {
  public:
    LineScope(Context& context, std::string_view text)
        : context_(context), enclosing_(context.line) {
        if (text.size() >= LineMemo::kLongText) {
            memo_.emplace(text);
            context.line = &*memo_;
        }
    }
    ~LineScope() { context_.line = enclosing_; }
    LineScope(const LineScope&) = delete;
    LineScope& operator=(const LineScope&) = delete;

  private:
    Context& context_;
    LineMemo* enclosing_;
    std::optional<LineMemo> memo_;
};

}  // namespace expreval
