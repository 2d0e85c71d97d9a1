// The compiled form of an expression: its operand tokens and its
// reductions, in the order the two stacks meet them, so that running it
// applies the operators in the order the scan would. The text is read once,
// by the tokenizer, and grouped once, by the grammar (eval/grammar.h); a
// call's argument stays a token, compiled when it is evaluated, one level
// of nesting down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "eval/context.h"
#include "eval/small_stack.h"
#include "eval/tokenizer.h"
#include "value/value.h"

namespace expreval {

// An operand token (op null) or a reduction by op. A token is a view of the
// text compiled, which must outlive the program.
struct Instruction {
    Token token;
    const Operator* op = nullptr;
    // A number token read when compiled, for a program run many times.
    bool read = false;
    PlainNumber number;
};

// A text that fails to scan or group compiles to what comes before the
// fault, and the fault's message: running it does that much, then fails.
class Program {
  public:
    // The grammar's sink.
    // A host's function belongs to the session that compiled the program:
    // a call of one is looked up again where the program runs.
    void Push(const Token& token) {
        Instruction& step = code_.Push();
        step = Instruction{token, nullptr, false, {}};
        if (token.kind == TokenKind::kNumber) {
            step.read = token.number != nullptr ? (step.number = *token.number, true)
                                                : ReadPlainNumber(token.text, step.number);
            step.token.number = nullptr;  // it points into the scan
        }
        if (token.function != nullptr && token.function->hostCall != nullptr)
            step.token.function = nullptr;
    }
    void Reduce(const Operator& op) { code_.Push() = Instruction{Token{}, &op, false, {}}; }

    void Fail(std::string message) {
        failed_ = true;
        failure_ = std::move(message);
    }

    std::size_t Size() const { return code_.Size(); }
    const Instruction& operator[](std::size_t i) const { return code_[i]; }
    bool Failed() const { return failed_; }
    const std::string& Failure() const { return failure_; }
    // The checks for an interrupt or a spent budget that scanning the text
    // made, which each run makes too, as a scan would.
    std::int64_t ScanChecks() const { return scanChecks_; }
    void SetScanChecks(std::int64_t checks) { scanChecks_ = checks; }

  private:
    // A typical line needs no more.
    static constexpr std::size_t kTypicalLength = 8;

    SmallStack<Instruction, kTypicalLength> code_;
    std::string failure_;
    bool failed_ = false;
    std::int64_t scanChecks_ = 0;
};

// Compiles text, already rewritten (no white space or capitals outside
// quotes), into program. Never throws Exception: a failure of the scan or
// the grouping is compiled into the program.
void Compile(Context& context, std::string_view text, Program& program);

}  // namespace expreval
