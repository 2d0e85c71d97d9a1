#include "eval/number_program.h"

#include <algorithm>
#include <string_view>

#include "eval/arguments.h"
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
        for (std::size_t i = 0; i < program.Size(); ++i) {
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
    // A number or variable pushed just before is the operation's right
    // operand: the operation takes it from its own step.
    bool AddOperation(const Operator& op) {
        if ((op.numbers == nullptr && op.compares == nullptr) || op.assigns != Assigns::kNothing)
            return false;
        using Kind = NumberStep::Kind;
        using Right = NumberStep::Right;
        std::vector<NumberStep>& steps = numbers_.steps;
        NumberStep step;
        Right right = Right::kTop;
        const Kind last = steps.back().kind;
        if (last == Kind::kNumber || last == Kind::kVariable) {
            step = steps.back();
            steps.pop_back();
            right = last == Kind::kNumber ? Right::kNumber : Right::kVariable;
        }
        if (op.numbers != nullptr) {
            step.kind = NumberStep::OperationOn(right, op.numbers->basic);
        } else {
            step.kind = right == Right::kTop      ? Kind::kComparison
                        : right == Right::kNumber ? Kind::kComparisonOnNumber
                                                  : Kind::kComparisonOnVariable;
        }
        step.kernel = op.numbers;
        step.compares = op.compares;
        steps.push_back(step);
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
                // A host's function: the compiled program holds none.
                if (token.function == nullptr)
                    return AddHostCall(token.text, calls);
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

    // A text of a call's argument, compiled here one call deeper.
    bool AddText(std::string_view text, int calls) {
        Program argument;
        Compile(context_, text, argument);
        return Add(argument, calls + 1);
    }

    // A built-in math function's argument.
    bool AddArgument(const Token& call, int calls) {
        return call.function->number != nullptr && calls < kDeepestCall &&
               AddText(CutCall(call.text).argument, calls);
    }

    // A call of a host's function: each argument, cut where the call of
    // several cuts them, compiled as a text of its own and giving one value.
    bool AddHostCall(std::string_view text, int calls) {
        if (calls >= kDeepestCall)
            return false;
        const CallParts call = CutCall(text);
        bool scanned = true;
        const std::vector<std::string_view> parts =
            SplitArguments(context_, call.argument, &scanned);
        if (!scanned)
            return false;
        for (const std::string_view part : parts) {
            const std::size_t height = height_;
            if (!AddText(part, calls) || height_ != height + 1)
                return false;
        }
        NumberStep step;
        step.kind = NumberStep::Kind::kHostCall;
        step.integerText = IsIntegerText(text);
        step.arguments = static_cast<std::uint32_t>(parts.size());
        step.host = HostIndex(call.name, step.arguments);
        numbers_.steps.push_back(step);
        height_ = height_ + 1 - parts.size();
        return true;
    }

    std::uint32_t HostIndex(std::string_view name, std::uint32_t arguments) {
        std::vector<HostCallSite>& hosts = numbers_.hosts;
        const auto found = std::find_if(hosts.begin(), hosts.end(), [&](const HostCallSite& site) {
            return site.name == name && site.arguments == arguments;
        });
        if (found != hosts.end())
            return static_cast<std::uint32_t>(found - hosts.begin());
        hosts.push_back(HostCallSite{std::string(name), arguments});
        return static_cast<std::uint32_t>(hosts.size() - 1);
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

// A value on the run's stack: what its text reads as, and whether the
// operand's text is an integer text. Left uninitialised until pushed: a run
// is a few dozen instructions.
struct RunValue {
    double value;
    bool integer;  // the value's text is an integer text
    bool integerText;
};

// What reading a result's text gives, for the rare result whose number is
// not worked out: returned by value, so that a run's values stay in
// registers.
struct Written {
    double value;
    bool integer;
    bool read;  // false when the text is not a plain number
};

[[gnu::noinline]] Written ReadWritten(double raw, bool cut) {
    PlainNumber number;
    const bool read = ReadPlainNumber(ArithmeticResultText(cut, raw, nullptr), number);
    return Written{number.value, number.integer, read};
}

// The result of work is what reading its text gives: worked out, or where
// it is too rare for that, read from the text.
template <bool kFused>
[[gnu::always_inline]] inline bool ReadResult(double raw, bool cut, bool integerText,
                                              RunValue& held) {
    PlainNumber number;
    if (ResultNumber<kFused>(raw, cut, number)) {
        held = RunValue{number.value, number.integer, integerText};
        return true;
    }
    const Written written = ReadWritten(raw, cut);
    if (!written.read)
        return false;
    held = RunValue{written.value, written.integer, integerText};
    return true;
}

// The work done last, which tells how the result's text is written.
struct Work {
    double raw = 0;
    bool cut = false;
};

// An operation's result, in place of its left operand; its text is an
// integer text when its value's is. kBasic is the kernel's basic operation.
template <bool kFused, NumberKernel::Basic kBasic>
[[gnu::always_inline]] inline bool Operate(const NumberStep& step, RunValue& left, RunValue right,
                                           Work& work) {
    // Flags both held: & rather than && leaves no branch to mispredict.
    work.raw = step.kernel->ComputeAs<kBasic>(left.integerText & right.integerText, left.value,
                                              right.value);
    work.cut = left.integer & right.integer;
    if (!ReadResult<kFused>(work.raw, work.cut, false, left))
        return false;
    left.integerText = left.integer;
    return true;
}

// "1" or "0", in place of the left operand: written as an operation on two
// integers writes it.
[[gnu::always_inline]] inline void Compare(const NumberStep& step, RunValue& left, RunValue right,
                                           Work& work) {
    const double truth = step.compares(left.value, right.value) ? 1 : 0;
    left = RunValue{truth, true, true};
    work = Work{truth, true};
}

// The value on top is kept apart from the stack, in registers, with the
// work it came from: most steps work on it. With kFused it is built into
// code for processors with fused multiply-adds, which round results faster.
template <bool kFused>
class NumberRun {
  public:
    NumberRun(const NumberProgram& numbers, const Variable* const* variables,
              const NumberCalls& calls)
        : numbers_(numbers), variables_(variables), calls_(calls) {}

    [[gnu::always_inline]] bool Answer(NumberResult& result) {
        if (!ReadVariables())
            return false;
        using Kind = NumberStep::Kind;
        using Right = NumberStep::Right;
        using Basic = NumberKernel::Basic;
// The three steps of one basic operation, by where its right operand is.
#define EXPREVAL_OPERATION_CASES(basic)                                  \
    case NumberStep::OperationOn(Right::kTop, basic): {                  \
        const RunValue right = top;                                      \
        top = stack_[--height];                                          \
        if (!Operate<kFused, basic>(step, top, right, work))             \
            return false;                                                \
        break;                                                           \
    }                                                                    \
    case NumberStep::OperationOn(Right::kNumber, basic):                 \
        if (!Operate<kFused, basic>(step, top, OwnNumber(step), work))   \
            return false;                                                \
        break;                                                           \
    case NumberStep::OperationOn(Right::kVariable, basic):               \
        if (!Operate<kFused, basic>(step, top, OwnVariable(step), work)) \
            return false;                                                \
        break;
        RunValue top{0, false, false};
        std::size_t height = 0;
        Work work;
        for (const NumberStep& step : numbers_.steps) {
            switch (step.kind) {
                case Kind::kNumber:
                    stack_[height++] = top;
                    top = OwnNumber(step);
                    break;
                case Kind::kVariable:
                    stack_[height++] = top;
                    top = OwnVariable(step);
                    break;
                case Kind::kCall:
                    work = Work{step.function(top.value), false};
                    if (!ReadResult<kFused>(work.raw, false, step.integerText, top))
                        return false;
                    break;
                case Kind::kHostCall:
                    work = Work{CallHost(step, top, height), false};
                    if (InterruptRequested() ||
                        !ReadResult<kFused>(work.raw, false, step.integerText, top))
                        return false;
                    break;
                    EXPREVAL_OPERATION_CASES(Basic::kNone)
                    EXPREVAL_OPERATION_CASES(Basic::kAdd)
                    EXPREVAL_OPERATION_CASES(Basic::kSubtract)
                    EXPREVAL_OPERATION_CASES(Basic::kMultiply)
                case Kind::kComparison: {
                    const RunValue right = top;
                    top = stack_[--height];
                    Compare(step, top, right, work);
                    break;
                }
                case Kind::kComparisonOnNumber:
                    Compare(step, top, OwnNumber(step), work);
                    break;
                case Kind::kComparisonOnVariable:
                    Compare(step, top, OwnVariable(step), work);
                    break;
                default:  // no other kind is made: the dispatch needs no range check
                    __builtin_unreachable();
            }
        }
#undef EXPREVAL_OPERATION_CASES
        // The last step is never a number or a variable: it did the work.
        result = NumberResult{PlainNumber{top.value, top.integer}, work.raw, work.cut};
        return true;
    }

  private:
    // Each variable is read once: nothing in a run can change one. Inline, as
    // everything a run does, so that it is built for the run's processor.
    [[gnu::always_inline]] bool ReadVariables() {
        const std::size_t count = numbers_.names.size();
        for (std::size_t i = 0; i < count; ++i) {
            PlainNumber number;
            if (!ReadVariableNumber<kFused>(*variables_[i], number, nullptr))
                return false;
            values_[i] = RunValue{number.value, number.integer, false};
        }
        return true;
    }

    // A host's function of the values on top, which it takes off: of the
    // one on top, or of as many as the call has arguments, none included.
    [[gnu::noinline]] double CallHost(const NumberStep& step, RunValue top, std::size_t& height) {
        const NumberHost& host = calls_.hosts[step.host];
        if (host.one != nullptr)
            return (*host.one)(top.value);
        std::vector<double>& arguments = *calls_.arguments;
        arguments.resize(step.arguments);
        if (step.arguments == 0) {
            stack_[height++] = top;
        } else {
            height -= step.arguments - 1;
            for (std::size_t i = 0; i + 1 < step.arguments; ++i)
                arguments[i] = stack_[height + i].value;
            arguments.back() = top.value;
        }
        return (*host.several)(arguments);
    }

    bool InterruptRequested() const {
        return calls_.interrupt != nullptr && calls_.interrupt->load(std::memory_order_relaxed);
    }

    // The number or variable a step holds, with its token's text.
    [[gnu::always_inline]] static RunValue OwnNumber(const NumberStep& step) {
        return RunValue{step.number.value, step.number.integer, step.integerText};
    }
    [[gnu::always_inline]] RunValue OwnVariable(const NumberStep& step) const {
        return RunValue{values_[step.variable].value, values_[step.variable].integer,
                        step.integerText};
    }

    const NumberProgram& numbers_;
    const Variable* const* variables_;
    const NumberCalls& calls_;
    RunValue values_[kMostNames];
    RunValue stack_[kDeepestStack];
};

}  // namespace

bool CompileNumbers(Context& context, const Program& program, NumberProgram& numbers) {
    numbers = NumberProgram();
    // A lone token's value is its text, which may not be how its number is
    // written ("1.50").
    return NumberCompiler(context, numbers).Add(program, 0) && !numbers.steps.empty() &&
           numbers.steps.back().kind != NumberStep::Kind::kNumber &&
           numbers.steps.back().kind != NumberStep::Kind::kVariable;
}

namespace {

bool RunPlain(const NumberProgram& numbers, const Variable* const* variables,
              const NumberCalls& calls, NumberResult& result) {
    return NumberRun<false>(numbers, variables, calls).Answer(result);
}

#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("fma")]] bool RunFused(const NumberProgram& numbers, const Variable* const* variables,
                                     const NumberCalls& calls, NumberResult& result) {
    return NumberRun<true>(numbers, variables, calls).Answer(result);
}
#else
bool RunFused(const NumberProgram& numbers, const Variable* const* variables,
              const NumberCalls& calls, NumberResult& result) {
    return RunPlain(numbers, variables, calls, result);
}
#endif

}  // namespace

// A failure of a function or an operation is the program's to report, and
// so is anything a host's function throws: the program, which applies
// operators as the scan meets them, may fail before it calls it.
bool RunNumbers(const NumberProgram& numbers, const Variable* const* variables,
                const NumberCalls& calls, NumberResult& result) {
    try {
        return FusedRoundingAvailable() ? RunFused(numbers, variables, calls, result)
                                        : RunPlain(numbers, variables, calls, result);
    } catch (...) {
        return false;
    }
}

}  // namespace expreval
