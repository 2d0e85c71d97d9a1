// The records of the three symbol tables and the Handler signature shared by
// every built-in function and operator.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "value/lexicon.h"
#include "value/number_text.h"
#include "value/settled.h"
#include "value/value.h"

namespace expreval {

// The context of the evaluation that calls a handler (eval/context.h): its
// tables, limits and budget, which the handler's own evaluations use.
struct Context;
struct Function;

// An operand as a handler receives it: its text, unevaluated, and what the
// reduction that applies the handler knows of it. Any text makes one, with
// nothing known: an element of a list, a value a handler passes on.
struct Operand {
    Operand(std::string_view operandText) : text(operandText) {}
    Operand(const std::string& operandText) : text(operandText) {}
    Operand(const char* operandText) : text(operandText) {}
    Operand(std::string_view operandText, std::string* operandOwner, Settled operandForm,
            Settled* told)
        : text(operandText), owner(operandOwner), form(operandForm), resultForm(told) {}

    std::string_view text;
    // A result of the reduction's own, held for it, which the handler may
    // take over (move out) instead of copying.
    std::string* owner = nullptr;
    // Whether the text is known to evaluate to itself (value/settled.h).
    Settled form = Settled::kUnknown;
    // Given with the left operand when the reduction waits to learn whether
    // the result, which takes this operand's place, is settled: where the
    // handler says so.
    Settled* resultForm = nullptr;
    // For a token of the expression (not a result): what the scan found it
    // to be and, for a call, the function it names, so that its value is
    // had without reading the text again.
    bool scanned = false;
    TokenKind kind = TokenKind::kNumber;
    const Function* function = nullptr;
};

// left: the left operand (or a function's argument); right: the right
// operand (empty for functions); context: the evaluation's. Operands arrive
// unevaluated. Fails by throwing Exception.
using Handler = std::string (*)(const Operand& left, const Operand& right, Context& context);

// A function that a host program defines on a session (ops/host_function.h).
struct HostFunction;
struct Function;

// How a host's function is called: with its record and the call's argument
// text. Set by whoever defines the function, so that the evaluator needs to
// know no more of it than of a built-in one.
using HostCall = std::string (*)(const Function& function, std::string_view argument,
                                 Context& context);

// The work of an arithmetic operator on two numbers, shared by its handler
// and by the evaluator's arithmetic on numbers: integer when both operand
// texts are integer texts, real otherwise (the same routine for + - *).
using RawOperation = double (*)(double a, double b);
// A comparison's test of two numbers, shared by its handler and the
// evaluator's arithmetic on numbers.
using NumberPredicate = bool (*)(double a, double b);

struct NumberKernel {
    // Where both routines are one of the processor's own operations, which
    // ones: evaluators apply it in place, with no call (a test holds the
    // two equal).
    enum class Basic : unsigned char { kNone, kAdd, kSubtract, kMultiply };

    RawOperation real;
    RawOperation integer;
    Basic basic = Basic::kNone;

    RawOperation For(bool integerTexts) const { return integerTexts ? integer : real; }
    // Whether the routine depends on the operand texts (/ and %, whose
    // integer routine is for two integer texts): + - * need not read them.
    bool ReadsTexts() const { return integer != real; }

    // What the routine for such operand texts gives, for a kernel whose
    // basic is kBasic: an evaluator that knows it beforehand applies it with
    // no jump.
    template <Basic kBasic>
    [[gnu::always_inline]] double ComputeAs(bool integerTexts, double a, double b) const {
        if constexpr (kBasic == Basic::kAdd)
            return a + b;
        else if constexpr (kBasic == Basic::kSubtract)
            return a - b;
        else if constexpr (kBasic == Basic::kMultiply)
            return a * b;
        else
            return For(integerTexts)(a, b);
    }

    // What the routine for such operand texts gives.
    [[gnu::always_inline]] double Compute(bool integerTexts, double a, double b) const {
        switch (basic) {
            case Basic::kAdd:
                return ComputeAs<Basic::kAdd>(integerTexts, a, b);
            case Basic::kSubtract:
                return ComputeAs<Basic::kSubtract>(integerTexts, a, b);
            case Basic::kMultiply:
                return ComputeAs<Basic::kMultiply>(integerTexts, a, b);
            case Basic::kNone:
                break;
        }
        return ComputeAs<Basic::kNone>(integerTexts, a, b);
    }
};

// Which single values an operator joins to each element of a list as a
// join of texts, so that a chain of such joins can be gathered: "+" joins
// strings, "." strings and numbers.
enum class ElementJoin : unsigned char { kNone, kStrings, kStringsAndNumbers };

// What an operator stores in the variable its left operand names: nothing,
// its right operand's value ("="), or what the operator it is the compound
// form of computes ("+=" and the like). Either assignment evaluates its
// right operand before anything else.
enum class Assigns : unsigned char { kNothing, kValue, kComputed };

// Assigning a record from another of the same key (InsertOrReplace) takes
// the other's data only: the key and the links stay, so the list stays whole.
struct Function {
    Function() = default;
    Function(std::string functionName, Handler functionHandler);
    Function(const Function&) = delete;
    Function& operator=(Function&& other) noexcept {
        if (this != &other) {
            handler = other.handler;
            number = other.number;
            host = std::move(other.host);
            hostCall = other.hostCall;
        }
        return *this;
    }

    static std::string_view Key(const Function& f) { return f.name; }

    std::string name;
    Function* next = nullptr;
    Function* previous = nullptr;
    Handler handler = nullptr;
    // From the same row as the handler: its work on a number, for the
    // evaluator's own arithmetic, when it is a math function of one.
    double (*number)(double x) = nullptr;
    // Set instead of handler in a host's function: a callable with state,
    // and the routine that calls it.
    std::shared_ptr<const HostFunction> host;
    HostCall hostCall = nullptr;
};

struct Operator {
    Operator() = default;
    Operator(std::string operatorSymbol, Handler operatorHandler, int operatorPrecedence);
    Operator(const Operator&) = delete;
    Operator& operator=(Operator&& other) noexcept {
        if (this != &other) {
            handler = other.handler;
            precedence = other.precedence;
            numbers = other.numbers;
            compares = other.compares;
            assigns = other.assigns;
            elementJoin = other.elementJoin;
        }
        return *this;
    }

    static std::string_view Key(const Operator& o) { return o.symbol; }

    Handler handler = nullptr;
    std::string symbol;
    Operator* next = nullptr;
    Operator* previous = nullptr;
    int precedence = 0;  // smaller binds tighter
    // From the same row as the handler, for the evaluator's own shortcuts:
    // the arithmetic on numbers, what the operator assigns, and its joins.
    const NumberKernel* numbers = nullptr;
    NumberPredicate compares = nullptr;
    Assigns assigns = Assigns::kNothing;
    ElementJoin elementJoin = ElementJoin::kNone;
};

struct Variable {
    Variable() = default;
    Variable(std::string variableName, std::string variableValue);
    Variable(const Variable&) = delete;
    // A record moved to the heap takes the name and value; links stay null.
    Variable(Variable&& other) noexcept
        : value(std::move(other.value)), name(std::move(other.name)) {}
    Variable& operator=(Variable&& other) noexcept {
        if (this != &other)
            Assign(std::move(other.value));
        return *this;
    }
    // A value assigned to a bound variable is its value from then on, until
    // its host's double changes.
    void Assign(std::string&& newValue) noexcept {
        value = std::move(newValue);
        numberRead = false;
        if (bound != nullptr) {
            written = *bound;
            assigned = true;
        }
    }

    static std::string_view Key(const Variable& v) { return v.name; }

    // What reading the variable touches comes first, in as few cache lines
    // as may be: a session may hold tens of thousands of variables.
    std::string value;  // read through ValueText: it may be due to be written
    // A host's double the value is read from (see below).
    const double* bound = nullptr;
    // What reading the value text as a plain number gave (ReadPlainNumber),
    // once read: plain, and number. A new value forgets it.
    mutable bool numberRead = false;
    mutable bool plain = false;
    mutable PlainNumber number;
    std::string name;
    Variable* next = nullptr;
    Variable* previous = nullptr;
    // The double the text was last written from, and whether an evaluation
    // assigned the variable since the host last looked.
    // A host may also set a number that is held here, as a double, until its
    // text is needed: bound then points to held.
    double written = 0;
    bool assigned = false;
    double held = 0;
    // What the host's double read as, when it last was read, for a formula
    // that reads the variable several times.
    mutable bool boundRead = false;
    mutable double boundReadFrom = 0;
    mutable PlainNumber boundNumber;
};

// Whether a bound variable's text is due to be written from its double. Bit
// for bit: a not-a-number equals itself, and -0 is not 0.
inline bool TextIsDue(const Variable& variable) {
    return variable.bound != nullptr && std::bit_cast<std::uint64_t>(*variable.bound) !=
                                            std::bit_cast<std::uint64_t>(variable.written);
}

// Writes the due text of a bound variable from its double.
void WriteDueText(const Variable& variable);

// The variable's value text, written afresh from its host's double when that
// has changed since. Inline: evaluations read it for nearly every variable.
inline const std::string& ValueText(const Variable& variable) {
    if (TextIsDue(variable)) [[unlikely]]
        WriteDueText(variable);
    return variable.value;
}
// Whether the variable's value is a host's double that no value text holds
// (an infinity or a not-a-number): its text, 1.#INF and the like, would read
// as another number. A value the evaluation assigned since is its value,
// until the double changes again.
inline bool BoundToNoValue(const Variable& variable) {
    return variable.bound != nullptr && !std::isfinite(*variable.bound) &&
           (!variable.assigned || TextIsDue(variable));
}

// What reading the variable's value text as a plain number gives, false when
// it is not one; a bound variable's double is read as its text would be,
// without writing it. last, when given, may know the text. Inline where the
// value was read before: a host's formula reads its variables on every run.
bool ReadNewVariableNumber(const Variable& variable, PlainNumber& number, const LastNumber* last);
// A host's double that its text is due to be written from, read as that
// text would be, and kept for reading again. kFused as for ResultNumber.
template <bool kFused = false>
[[gnu::always_inline]] inline bool ReadDueBound(const Variable& variable, PlainNumber& number) {
    if (!TextIsDue(variable))
        return false;
    const double bound = *variable.bound;
    if (!ResultNumber<kFused>(bound, false, number))
        return false;
    variable.boundRead = true;
    variable.boundReadFrom = bound;
    variable.boundNumber = number;
    return true;
}
// The host's double as it was last read, while its text is due (not yet
// written from it, so nothing else was assigned since).
inline bool ReadBoundAgain(const Variable& variable, PlainNumber& number) {
    if (!variable.boundRead)
        return false;
    const auto bound = std::bit_cast<std::uint64_t>(*variable.bound);
    if (bound != std::bit_cast<std::uint64_t>(variable.boundReadFrom) ||
        bound == std::bit_cast<std::uint64_t>(variable.written))
        return false;
    number = variable.boundNumber;
    return true;
}
// With kFused, a host's new double is read here, for code built for fused
// multiply-adds, into which it must be inlined.
template <bool kFused = false>
[[gnu::always_inline]] inline bool ReadVariableNumber(const Variable& variable, PlainNumber& number,
                                                      const LastNumber* last) {
    if (variable.bound == nullptr || !TextIsDue(variable)) {
        if (variable.numberRead) {
            number = variable.number;
            return variable.plain;
        }
    } else if (ReadBoundAgain(variable, number)) {
        return true;
    } else if constexpr (kFused) {
        if (ReadDueBound<true>(variable, number))
            return true;
    }
    return ReadNewVariableNumber(variable, number, last);
}

// ValueText without bringing the record up to date, for readers that may
// share a session between threads while it does not evaluate.
std::string CurrentValueText(const Variable& variable);

}  // namespace expreval
