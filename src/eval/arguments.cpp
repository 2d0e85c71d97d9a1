#include "eval/arguments.h"

#include <cstddef>
#include <utility>

#include "eval/tokenizer.h"
#include "value/value.h"

namespace expreval {

namespace {

// Cuts the argument at the commas the scan meets in operator tokens outside
// any group; strings, lists and calls are tokens of their own, so their
// commas stay inside them.
class ArgumentCutter final : public TokenEvents {
  public:
    explicit ArgumentCutter(std::string_view argument) : argument_(argument) {}

    void Operand(const Token&) override {}
    void OpenGroup() override { ++groups_; }
    void CloseGroup() override { groups_ -= groups_ > 0 ? 1 : 0; }
    void OperatorToken(std::string_view symbol) override {
        if (groups_ > 0 || symbol.data() < argument_.data() ||
            symbol.data() >= argument_.data() + argument_.size())
            return;  // within a group, or the implied "*"
        const auto at = static_cast<size_t>(symbol.data() - argument_.data());
        for (size_t i = 0; i < symbol.size(); ++i) {
            if (symbol[i] == ',') {
                parts.push_back(argument_.substr(start_, at + i - start_));
                start_ = at + i + 1;
            }
        }
    }

    // The last part: whatever follows the last comma.
    void Finish() { parts.push_back(argument_.substr(start_)); }

    std::vector<std::string_view> parts;

  private:
    std::string_view argument_;
    size_t start_ = 0;
    size_t groups_ = 0;
};

}  // namespace

// A scan that fails leaves the rest to the last argument.
std::vector<std::string_view> SplitArguments(Context& context, std::string_view argument,
                                             bool* scanned) {
    if (argument.empty())
        return {};
    ArgumentCutter cutter(argument);
    try {
        Scan(context, argument, cutter);
    } catch (const Exception&) {
        if (scanned != nullptr)
            *scanned = false;
    }
    cutter.Finish();
    return std::move(cutter.parts);
}

}  // namespace expreval
