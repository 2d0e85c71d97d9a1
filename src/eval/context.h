// The context of one evaluation: everything it works with besides its text.
// It is passed by reference to every routine that evaluates, and to every
// handler, so that what an evaluation may read, assign and spend is written
// in the call, not left on the thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "eval/interrupt.h"
#include "eval/road.h"
#include "symbols/lookup_cache.h"
#include "symbols/tables.h"
#include "value/number_text.h"

namespace expreval {

class LineMemo;

// What evaluations on one thread remember from one to the next: lookups in
// the built-in tables, and the number read last.
// Only ever used by the thread that owns them.
struct Caches {
    LookupCache<Operator> operators;
    LookupCache<Function> functions;
    LookupCache<Variable> variables;
    LastNumber lastNumber;
};

struct Context {
    // The variables and host functions evaluation reads and assigns: a
    // session's, or with none the process-wide g_variables and the built-in
    // functions alone.
    SessionTables* session = nullptr;
    Road road = Road::kFast;
    // Set from any thread or a signal handler to stop the evaluation.
    const InterruptFlag* interrupt = nullptr;
    // The levels of nesting reached by the runs under way (eval/nesting.h).
    int nestingLevel = 0;
    // Bytes a value built by an operation may hold.
    std::size_t maxValueSize = SIZE_MAX;
    // Bytes that the values waiting on the operand stacks may still take,
    // all levels of nesting together (eval/evaluate.cpp).
    std::size_t heldRoom = SIZE_MAX;
    // Checks left before the budget is looked at again; without a budget it
    // starts too high to run out.
    std::int64_t checksLeft = INT64_MAX;
    BudgetState budget;
    // The host's numeric function being applied (ops/host_function.cpp).
    const std::function<double(double)>* numeric = nullptr;
    Caches* caches = nullptr;
    // The long text under evaluation, rewritten, with what is learnt of it
    // for the texts evaluated inside it (eval/line_memo.h); null for a short
    // one.
    LineMemo* line = nullptr;

    SymbolList<Variable>& Variables() const {
        return session != nullptr ? session->variables : *g_variables;
    }
};

// False on the reference road, which takes no shortcut.
inline bool ShortcutsOpen(const Context& context) {
    return context.road == Road::kFast;
}

// Lookups in the context's tables, by name; null when the name is absent.
inline const Variable* FindVariable(const Context& context, std::string_view name) {
    return FindVariableIn(context.caches->variables, context.Variables(), name);
}
// The variable named name when it holds a plain number, read into number;
// null otherwise.
inline const Variable* FindNumberVariable(const Context& context, std::string_view name,
                                          PlainNumber& number) {
    const Variable* variable = FindVariable(context, name);
    return variable != nullptr && ReadVariableNumber(*variable, number, &context.caches->lastNumber)
               ? variable
               : nullptr;
}
inline const Function* FindFunction(const Context& context, std::string_view name) {
    return FindFunctionIn(context.caches->functions, context.session, name);
}
inline const Operator* FindOperator(const Context& context, std::string_view symbol) {
    return FindOperatorIn(context.caches->operators, symbol);
}
// Stores value under name in the context's variables (created or replaced).
inline void AssignVariable(const Context& context, std::string name, std::string value) {
    StoreVariable(context.Variables(), std::move(name), std::move(value));
}

// Makes context the one evaluating on this thread for as long as it lives,
// with this thread's caches. An evaluation that starts while another is
// under way on the thread (a host's function evaluating) nests below it:
// both use this thread's stack, which the nesting bound protects. Without
// limits of its own it works within the other's: its value size, and its
// budget, which it spends; and without a flag of its own it watches the
// other's.
class ThreadContext {
  public:
    ThreadContext(Context& context, bool ownLimits);
    ~ThreadContext();
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;

  private:
    void NestBelowEnclosing(bool ownLimits);

    Context& context_;
    Context** current_;
    Context* enclosing_;
    bool sharesBudget_;
};

// The road of the evaluation under way on this thread, for tests that check
// that a setting reaches it; the default road when none is.
Road RoadUnderWay();

// Gives context budget: checks and time, from now.
void StartBudget(Context& context, const Budget& budget);

// Refills context.checksLeft from the budget, or throws Exception
// "Evaluation took too long." once it is spent.
void SpendBudget(Context& context);

// Whether the flag the context watches is set: a relaxed load, so that it
// costs next to nothing when no one interrupts.
inline bool InterruptRequested(const Context& context) {
    return context.interrupt != nullptr && context.interrupt->load(std::memory_order_relaxed);
}

// Called where evaluation already counts its work (each nesting level, each
// list element, every so many bytes of a long scan): a relaxed load and a
// count.
inline void CheckInterrupt(Context& context) {
    if (InterruptRequested(context))
        ThrowInterrupted();
    if (--context.checksLeft < 0)
        SpendBudget(context);
}

// Throws Exception "Evaluation took too long." when the time budget is
// spent; reads the clock only when there is one.
void CheckDeadline(Context& context);

// After a host's function returns: one call may take longer than the whole
// budget, so its time counts at once rather than at the next reading of
// the clock, some 64 checks later. Without a time budget, no reading.
inline void CheckTimeAfterHostCall(Context& context) {
    if (context.budget.timed)
        CheckDeadline(context);
}

// What a shortcut spends for the evaluations it stands for: each run of
// Evaluate makes one check, so an operand read in place spends one, and a
// math call whose argument is read in place two (the call's run and its
// argument's).
inline constexpr std::int64_t kRunChecks = 1;
inline constexpr std::int64_t kCallChecks = 2 * kRunChecks;

// count checks at once, for work a shortcut did without them: the same as
// count calls of CheckInterrupt, in one step while the budget lasts.
void SpendChecksOneByOne(Context& context, std::int64_t count);
inline void SpendChecks(Context& context, std::int64_t count) {
    if (context.checksLeft >= count && !InterruptRequested(context)) {
        context.checksLeft -= count;
        return;
    }
    SpendChecksOneByOne(context, count);
}

// For a scan that may run through megabytes in one step of the evaluation:
// checks each time the scan has moved kInterruptStride bytes further, at
// the cost of one comparison for every other step.
inline constexpr size_t kInterruptStride = 4096;

// A scan that may yet be given up, and its text scanned again, gives
// deferred: it counts its checks there, for its caller to spend only if it
// answers, and looks at the interrupt flag and the clock at each meanwhile.
class InterruptCheckpoints {
  public:
    explicit InterruptCheckpoints(Context& context, std::int64_t* deferred = nullptr)
        : context_(context), deferred_(deferred) {}

    void Pass(size_t position) {
        if (position >= next_) [[unlikely]] {
            next_ = position + kInterruptStride;
            if (deferred_ == nullptr)
                CheckInterrupt(context_);
            else
                Defer();
        }
    }

  private:
    void Defer() {
        ++*deferred_;
        if (InterruptRequested(context_))
            ThrowInterrupted();
        CheckDeadline(context_);
    }

    Context& context_;
    std::int64_t* deferred_;
    size_t next_ = kInterruptStride;
};

// Throws Exception "Value too large.".
[[noreturn]] void ThrowValueTooLarge();

// Where a value is built: a result pushed, stored or grown element by
// element. Its operands are no longer than the limit, so no text grows
// past a few times it before this refuses it.
inline void CheckValueSize(const Context& context, std::size_t size) {
    if (size > context.maxValueSize)
        ThrowValueTooLarge();
}

}  // namespace expreval
