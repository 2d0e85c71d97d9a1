#include "expreval/session.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "eval/evaluate.h"
#include "eval/interrupt.h"
#include "eval/limits.h"
#include "eval/nesting.h"
#include "ops/host_function.h"
#include "session/session.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

struct Session::State {
    SessionTables tables;
    Limits limits;
    bool limited = false;  // any limit but the console's
    InterruptFlag interrupt{false};
    bool evaluating = false;
};

namespace {

bool BoundsWork(const Limits& limits) {
    return limits.maxSteps != UINT64_MAX ||
           limits.maxTime != std::chrono::steady_clock::duration::max();
}

bool IsLimited(const Limits& limits) {
    return BoundsWork(limits) || limits.maxValueSize != SIZE_MAX ||
           limits.maxNesting != Limits::kDeepestNesting;
}

// The limits of an evaluation, and of what it nests, put back as they were
// when it ends: the nesting already reached goes on counting, since it is
// this thread's stack that it measures.
class Limiting {
  public:
    explicit Limiting(const Limits& limits)
        : nestingLevel_(t_nestingLevel),
          maxValueSize_(std::exchange(t_maxValueSize, limits.maxValueSize)) {
        t_nestingLevel = std::max(nestingLevel_, kMaxNesting - limits.maxNesting);
        if (BoundsWork(limits))
            budget_.emplace(Budget{limits.maxSteps, limits.maxTime});
    }
    ~Limiting() {
        budget_.reset();
        t_maxValueSize = maxValueSize_;
        t_nestingLevel = nestingLevel_;
    }
    Limiting(const Limiting&) = delete;
    Limiting& operator=(const Limiting&) = delete;

  private:
    int nestingLevel_;
    std::size_t maxValueSize_;
    std::optional<SpendingBudget> budget_;
};

// What an evaluation of a session sets on its thread, put back as it was
// when the evaluation ends, by any road: a host function may evaluate in
// another session, or in the process-wide tables, in the middle of it.
class Evaluating {
  public:
    Evaluating(bool& evaluating, SessionTables& tables, const InterruptFlag& interrupt)
        : evaluating_(evaluating), watch_(interrupt), session_(std::exchange(t_session, &tables)) {
        evaluating_ = true;
    }
    ~Evaluating() {
        t_session = session_;
        evaluating_ = false;
    }
    Evaluating(const Evaluating&) = delete;
    Evaluating& operator=(const Evaluating&) = delete;

  private:
    bool& evaluating_;
    WatchInterrupt watch_;
    SessionTables* session_;
};

[[noreturn]] void ThrowDuringEvaluation(const char* operation) {
    throw std::logic_error(std::string("expreval::Session::") + operation +
                           " called while the session evaluates");
}

// Out of line, so that the console's lines, which have no limits, need not
// make room for these.
[[gnu::noinline]] std::string EvaluateLimited(const std::string& expression, const Limits& limits) {
    const Limiting limiting(limits);
    return EvaluatePaddedText(expression);
}

void RefuseDuringEvaluation(bool evaluating, const char* operation) {
    if (evaluating)
        ThrowDuringEvaluation(operation);
}

void StoreFunction(SymbolList<Function>& functions, std::string_view name,
                   std::shared_ptr<const HostFunction> host) {
    if (!IsValidName(name))
        throw std::invalid_argument("expreval: not a valid function name: " + std::string(name));
    std::string key(name);
    FoldCase(key);
    if (IsBuiltInFunction(key))
        throw std::invalid_argument("expreval: cannot replace the built-in function " + key);
    Function* place = functions.LowerBound(key);
    if (place == functions.Sentinel() || place->name != key)
        place = functions.InsertBefore(place, new Function(std::move(key), nullptr));
    place->host = std::move(host);
}

}  // namespace

SessionTables& TablesOf(Session& session) {
    return session.state_->tables;
}

Session::Session() : Session(Limits()) {}

Session::Session(const Limits& limits) : state_(std::make_unique<State>()) {
    EnsureBuiltInTables();
    SetLimits(limits);
}

Session Session::Console() {
    Session session;
    DefinePredefinedVariables(session.state_->tables.variables);
    return session;
}

Session::Session(Session&& other) noexcept = default;
Session& Session::operator=(Session&& other) noexcept = default;
Session::~Session() = default;

// A std::string keeps a zero byte after its characters: the padding that
// arithmetic needs to be read where it stands.
// The console's session has no limits, and its lines take the short way.
std::string Session::Evaluate(const std::string& expression) {
    State& state = *state_;
    if (state.evaluating)
        ThrowDuringEvaluation("Evaluate");
    if (expression.size() > state.limits.maxTextLength)
        throw Exception("Expression too long.");
    state.interrupt.store(false, std::memory_order_relaxed);
    const Evaluating evaluating(state.evaluating, state.tables, state.interrupt);
    static_assert(kTextPadding == 1);
    if (!state.limited)
        return EvaluatePaddedText(expression);
    return EvaluateLimited(expression, state.limits);
}

void Session::SetVariable(std::string_view name, std::string value) {
    if (!IsValidName(name))
        throw std::invalid_argument("expreval: not a valid variable name: " + std::string(name));
    if (!IsValueText(value))
        throw std::invalid_argument("expreval: not a value text: " + value);
    StoreVariable(state_->tables.variables, std::string(name), std::move(value));
}

std::optional<std::string> Session::Variable(std::string_view name) const {
    const expreval::Variable* variable = FindVariableIn(state_->tables.variables, name);
    if (variable == nullptr)
        return std::nullopt;
    return variable->value;
}

std::vector<std::pair<std::string, std::string>> Session::Variables() const {
    std::vector<std::pair<std::string, std::string>> variables;
    const SymbolList<expreval::Variable>& list = state_->tables.variables;
    for (const expreval::Variable* p = list.Sentinel()->next; p != list.Sentinel(); p = p->next)
        variables.emplace_back(p->name, p->value);
    return variables;
}

void Session::DefineFunction(std::string_view name, std::function<double(double)> function) {
    RefuseDuringEvaluation(state_->evaluating, "DefineFunction");
    if (!function)
        throw std::invalid_argument("expreval: no function given for " + std::string(name));
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(HostFunction{std::move(function), {}}));
}

void Session::DefineValueFunction(std::string_view name,
                                  std::function<std::string(const std::string&)> function) {
    RefuseDuringEvaluation(state_->evaluating, "DefineValueFunction");
    if (!function)
        throw std::invalid_argument("expreval: no function given for " + std::string(name));
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(HostFunction{{}, std::move(function)}));
}

void Session::SetLimits(const Limits& limits) {
    RefuseDuringEvaluation(state_->evaluating, "SetLimits");
    if (limits.maxNesting < 1 || limits.maxNesting > Limits::kDeepestNesting)
        throw std::invalid_argument("expreval: maxNesting must be from 1 to " +
                                    std::to_string(Limits::kDeepestNesting));
    state_->limits = limits;
    state_->limited = IsLimited(limits);
}

const Limits& Session::CurrentLimits() const {
    return state_->limits;
}

void Session::Interrupt() noexcept {
    state_->interrupt.store(true, std::memory_order_relaxed);
}

}  // namespace expreval
