#include "eval/number_program.h"

#include <algorithm>
#include <string_view>

#include "value/lexicon.h"
#include "value/number_text.h"

namespace expreval {

namespace {

// Calls nested deeper are left to the program, which compiles an argument
// only when it evaluates it.
constexpr int kDeepestCall = 16;
// A run keeps its values on its own stack, of this many at most, and reads
// at most this many variables.
constexpr std::size_t kDeepestStack = 64;
constexpr std::size_t kMostNames = 64;
// A longer formula is left to the program: the first run of a number form
// also runs the program with no limits, to learn its steps, which must stay
// a matter of microseconds whatever limits a session sets.
constexpr std::size_t kMostSteps = 4096;

class NumberCompiler {
  public:
    NumberCompiler(Context& context, NumberProgram& numbers)
        : context_(context), numbers_(numbers) {}

    bool Add(const Program& program, int calls) {
        if (program.Failed())
            return false;
        for (std::size_t i = 0; i < program.size(); ++i) {
            const Instruction& step = program[i];
            const bool added = step.op != nullptr
                                   ? AddOperation(*step.op)
                                   : AddToken(step.token, step.read, step.number, calls);
            if (!added || height_ > kDeepestStack || numbers_.names.size() > kMostNames ||
                numbers_.steps.size() > kMostSteps)
                return false;
            numbers_.depth = std::max(numbers_.depth, height_);
        }
        return true;
    }

  private:
    bool AddOperation(const Operator& op) {
        if ((op.numbers == nullptr && op.compares == nullptr) || op.assigns)
            return false;
        NumberStep& step = numbers_.steps.emplace_back();
        step.kind =
            op.numbers != nullptr ? NumberStep::Kind::kOperation : NumberStep::Kind::kComparison;
        step.kernel = op.numbers;
        step.compares = op.compares;
        --height_;
        return true;
    }

    bool AddToken(const Token& token, bool read, const PlainNumber& number, int calls) {
        NumberStep step;
        step.integerText = IsIntegerText(token.text);
        switch (token.kind) {
            case TokenKind::kNumber:
                if (!read)
                    return false;
                step.kind = NumberStep::Kind::kNumber;
                step.number = number;
                break;
            case TokenKind::kName:
                step.kind = NumberStep::Kind::kVariable;
                step.variable = NameIndex(token.text);
                break;
            case TokenKind::kCall:
                if (!AddArgument(token, calls))
                    return false;
                step.kind = NumberStep::Kind::kCall;
                step.function = token.function->number;
                --height_;
                break;
            case TokenKind::kString:
            case TokenKind::kList:
                return false;
        }
        numbers_.steps.push_back(step);
        ++height_;
        return true;
    }

    // A built-in math function's argument, compiled as a text of its own.
    bool AddArgument(const Token& call, int calls) {
        const Function* function = call.function;
        if (function == nullptr || function->number == nullptr || function->hostCall != nullptr ||
            calls >= kDeepestCall)
            return false;
        const std::string_view text = call.text;
        const std::size_t open = FinalCallOpen(text);
        if (open == std::string_view::npos || text.size() < open + 2)
            return false;
        Program argument;
        Compile(context_, text.substr(open + 1, text.size() - open - 2), argument);
        return Add(argument, calls + 1);
    }

    std::uint32_t NameIndex(std::string_view name) {
        std::vector<std::string>& names = numbers_.names;
        const auto found = std::find(names.begin(), names.end(), name);
        if (found != names.end())
            return static_cast<std::uint32_t>(found - names.begin());
        names.emplace_back(name);
        return static_cast<std::uint32_t>(names.size() - 1);
    }

    Context& context_;
    NumberProgram& numbers_;
    std::size_t height_ = 0;
};

// A value on the run's stack: what its text reads as, whether the operand's
// text is an integer text, and the work it came from. Left uninitialised
// until pushed: a run is a few dozen instructions.
struct Held {
    double value;
    bool integer;  // the value's text is an integer text
    bool integerText;
    bool cut;
    double raw;
};

[[gnu::noinline]] bool ReadWritten(double raw, bool cut, PlainNumber& number) {
    return ReadPlainNumber(ArithmeticResultText(cut, raw, nullptr), number);
}

// The result of work is what reading its text gives: worked out, or where
// it is too rare for that, read from the text.
[[gnu::always_inline]] inline bool Settle(double raw, bool cut, bool integerText, Held& held) {
    PlainNumber number;
    if (!ResultNumber(raw, cut, number) && !ReadWritten(raw, cut, number))
        return false;
    held = Held{number.value, number.integer, integerText, cut, raw};
    return true;
}

// The value on top is kept apart from the stack, where it can stay in
// registers: most steps work on it.
bool Run(const NumberProgram& numbers, const Variable* const* variables, NumberResult& result) {
    // Each variable is read once: nothing in a run can change one.
    Held values[kMostNames];
    for (std::size_t i = 0; i < numbers.names.size(); ++i) {
        PlainNumber number;
        if (!ReadVariableNumber(*variables[i], number, nullptr))
            return false;
        values[i] = Held{number.value, number.integer, false, false, number.value};
    }
    Held stack[kDeepestStack];
    std::size_t height = 0;
    Held top{0, false, false, false, 0};
    for (const NumberStep& step : numbers.steps) {
        switch (step.kind) {
            case NumberStep::Kind::kNumber: {
                stack[height++] = top;
                const PlainNumber& number = step.number;
                top = Held{number.value, number.integer, step.integerText, false, number.value};
                break;
            }
            case NumberStep::Kind::kVariable:
                stack[height++] = top;
                top = values[step.variable];
                top.integerText = step.integerText;
                break;
            case NumberStep::Kind::kCall:
                if (!Settle(step.function(top.value), false, step.integerText, top))
                    return false;
                break;
            case NumberStep::Kind::kOperation: {
                const Held& left = stack[--height];
                const double raw =
                    step.kernel->For(left.integerText && top.integerText)(left.value, top.value);
                const bool cut = left.integer && top.integer;
                if (!Settle(raw, cut, false, top))
                    return false;
                top.integerText = top.integer;
                break;
            }
            case NumberStep::Kind::kComparison: {
                const Held& left = stack[--height];
                // "1" or "0", written as an operation on two integers writes it.
                const double truth = step.compares(left.value, top.value) ? 1 : 0;
                top = Held{truth, true, true, true, truth};
                break;
            }
        }
    }
    result = NumberResult{PlainNumber{top.value, top.integer}, top.raw, top.cut};
    return true;
}

}  // namespace

bool CompileNumbers(Context& context, const Program& program, NumberProgram& numbers) {
    numbers = NumberProgram();
    // A lone token's value is its text, which may not be how its number is
    // written ("1.50").
    return NumberCompiler(context, numbers).Add(program, 0) && !numbers.steps.empty() &&
           numbers.steps.back().kind != NumberStep::Kind::kNumber &&
           numbers.steps.back().kind != NumberStep::Kind::kVariable;
}

// A failure of a function or an operation is the program's to report.
bool RunNumbers(const NumberProgram& numbers, const Variable* const* variables,
                NumberResult& result) {
    try {
        return Run(numbers, variables, result);
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace expreval
