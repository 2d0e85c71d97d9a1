// expreval::Session: a set of variables and host functions in which texts
// are evaluated, with limits for texts that come from people a host does not
// trust. See docs/embedding.md.
//
// Sessions are independent: each has its own variables and functions, and
// any number of them may evaluate at the same time on different threads. One
// session is used by one thread at a time; only Interrupt may be called from
// another thread (or a signal handler) while it evaluates.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "expreval/exception.h"
#include "expreval/export.h"
#include "expreval/formula.h"
#include "expreval/limits.h"
#include "expreval/version.h"

namespace expreval {

struct SessionTables;

class EXPREVAL_API Session {
  public:
    // No variables, no functions beyond the built-in ones, default limits.
    Session();
    explicit Session(const Limits& limits);
    // The console's start: the variable zurp holding {1,2,3,4,5}.
    static Session Console();

    // A copy has the other's variables, functions (copies of them) and
    // limits, and evaluates on its own from then on; an interrupt of one
    // stops nothing in the other. Copying from or onto a session while it
    // evaluates throws std::logic_error.
    Session(const Session& other);
    Session& operator=(const Session& other);
    // A moved-from session may only be assigned to or destroyed.
    Session(Session&& other) noexcept;
    Session& operator=(Session&& other) noexcept;
    ~Session();

    // Evaluates expression with this session's variables and functions and
    // returns the result's value text ("7", "3.5", "\"ab\"", "{2,4}").
    // Assignments in it (x=2) define variables of this session. Throws
    // Exception when the evaluation fails or goes past a limit;
    // std::bad_alloc when memory runs out; whatever a host function throws
    // other than Exception, unchanged. The session stays usable after any.
    std::string Evaluate(const std::string& expression);

    // Compiles expression for this session's functions: it may then be
    // evaluated any number of times, here or in any other session. Each
    // evaluation gives exactly what Evaluate of its text would give at that
    // moment: the same result, or the same failure after the same effects.
    // Throws Exception "Expression too long." past the session's limit.
    Formula Compile(std::string expression) const;
    std::string Evaluate(const Formula& formula);

    // Evaluate, for a result that is a number: the double its text reads as.
    // Throws Exception "Result is not a number." for a string or a list.
    double EvaluateNumber(const std::string& expression);
    double EvaluateNumber(const Formula& formula);

    // Defines the variable name (a letter, then letters and digits;
    // case-insensitive) with value, a value text as evaluation writes them:
    // a number ("12", "-1.5", "2e3"), a string in quotes ("\"Ab c\"") or a
    // list in braces ("{1,2}") with no empty element, without blanks or
    // capitals outside quotes. Throws std::invalid_argument for any other
    // name or value ("2x", "1 + 2", "{1,,2}", "{}").
    void SetVariable(std::string_view name, std::string value);
    // The same for a number, stored as evaluation writes it (2.5 as "2.5").
    void SetVariable(std::string_view name, double value);
    // Binds the variable name to the host's double at value: every
    // evaluation reads it as it is when the evaluation starts, and an
    // assignment of a number to the name writes it back. An assignment of
    // a string or a list ends the binding, as do RemoveVariable,
    // ClearVariables and BindVariable(name, nullptr). The double must
    // outlive the binding; a copied session shares it.
    void BindVariable(std::string_view name, double* value);
    // Removes the variable name; false when there was none. Throws
    // std::logic_error while this session evaluates.
    bool RemoveVariable(std::string_view name);
    // Removes every variable. Throws std::logic_error while this session
    // evaluates.
    void ClearVariables();
    // The value text of the variable name, or nothing when it has none.
    std::optional<std::string> Variable(std::string_view name) const;
    // Every variable, name (lower case) and value text, in name order.
    std::vector<std::pair<std::string, std::string>> Variables() const;
    // The names alone, in name order.
    std::vector<std::string> VariableNames() const;
    // The names of every function this session's evaluations can call, the
    // built-in ones and the host's, in name order.
    std::vector<std::string> FunctionNames() const;

    // Defines the function name(...) for this session's evaluations, as the
    // built-in ones are: a list argument is mapped element by element, a
    // string refused with "Function does not support strings.", and the
    // result written as a number text. A name defined before is redefined.
    // Throws std::invalid_argument for a name that is not a valid name or
    // is that of a built-in function, or for an empty function, and
    // std::logic_error while this session evaluates.
    void DefineFunction(std::string_view name, std::function<double(double)> function);
    // Whether a numeric function may be called more often than the text
    // calls it. kPure: its result depends on its arguments alone, and it
    // neither uses this session nor does anything the host counts on
    // happening once a call. A compiled formula whose host functions are all
    // pure ones can then be evaluated on doubles alone, as a formula of
    // arithmetic and built-in functions is (EvaluateNumber at its fastest);
    // where that way gives up (a result it cannot work out on doubles, a
    // failure), the formula is evaluated again the general way, and such a
    // function may be called again. The forms without a Purity are
    // kMayHaveEffects: called exactly as the text calls them.
    enum class Purity { kMayHaveEffects, kPure };
    void DefineFunction(std::string_view name, std::function<double(double)> function,
                        Purity purity);
    // The same for a function given the argument's value text (a number, a
    // string with its quotes, a list with its braces) that returns a value
    // text as SetVariable takes them; any other result fails the evaluation
    // with "Function " + name + " returned an invalid value.".
    void DefineValueFunction(std::string_view name,
                             std::function<std::string(const std::string&)> function);

    // The arity of a function that takes any number of arguments, none too.
    static constexpr int kVariadic = -1;
    // Defines the function name(a, b, ...) of arity arguments (0 or more, or
    // kVariadic): f(a, b) has two, f() none. The arguments are evaluated
    // left to right, each a number ("Function does not support strings.",
    // "Function does not support lists." otherwise), and the result written
    // as a number text. A call with another count fails with "Function " +
    // name + " takes 2 arguments." ("1 argument.", "no arguments.") before
    // any argument is evaluated. Throws as the forms above do, and
    // std::invalid_argument for an arity below kVariadic.
    void DefineFunction(std::string_view name, int arity,
                        std::function<double(const std::vector<double>&)> function);
    void DefineFunction(std::string_view name, int arity,
                        std::function<double(const std::vector<double>&)> function, Purity purity);
    // The same for a function given the arguments' value texts, whose result
    // is a value text as for the form above.
    void DefineValueFunction(std::string_view name, int arity,
                             std::function<std::string(const std::vector<std::string>&)> function);

    // Takes effect with the next evaluation. Throws std::invalid_argument
    // for a maxNesting outside 1 to Limits::kDeepestNesting, and
    // std::logic_error while this session evaluates.
    void SetLimits(const Limits& limits);
    const Limits& CurrentLimits() const;

    // Makes the evaluation under way fail with "Interrupted." at its next
    // check; no effect when none is under way. Safe from any thread and from
    // a signal handler.
    void Interrupt() noexcept;

  private:
    struct State;
    std::unique_ptr<State> state_;

    // The console evaluates each line where its input holds it; the road
    // fuzzer starts its sessions over with the predefined variables; test
    // programs choose how its evaluations run.
    friend SessionTables& TablesOf(Session& session);
    friend std::string EvaluateLine(Session& session, std::string_view line);
    friend struct SessionSettings;
    friend struct FormulaRunner;
};

}  // namespace expreval
