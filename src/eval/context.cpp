#include "eval/context.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "value/value.h"

namespace expreval {

namespace {

// Checks between two readings of the clock: a reading costs about as much
// as the work of a few checks.
constexpr std::uint64_t kChecksPerClockReading = 64;

using Clock = std::chrono::steady_clock;

// The one state kept on the thread: the evaluation under way, whose
// nesting a new one continues, and the caches. Caches are made on a
// thread's first evaluation and freed with the thread.
struct ThreadState {
    Context* current = nullptr;
    std::unique_ptr<Caches> caches;
};
thread_local ThreadState t_thread;

// For tests: EXPREVAL_ROAD=reference runs a whole program, the console or a
// test program, on the reference road, so that its answers can be compared
// with the fast road's. Any other value changes nothing.
Road RoadFromEnvironment() {
    const char* road = std::getenv("EXPREVAL_ROAD");
    return road != nullptr && std::string_view(road) == "reference" ? Road::kReference
                                                                    : Road::kFast;
}

// Read once, before any evaluation.
const Road g_defaultRoad = RoadFromEnvironment();

}  // namespace

Road DefaultRoad() {
    return g_defaultRoad;
}

Road RoadUnderWay() {
    return t_thread.current != nullptr ? t_thread.current->road : g_defaultRoad;
}

namespace {

[[gnu::noinline]] void MakeCaches(ThreadState& thread) {
    thread.caches = std::make_unique<Caches>();
}

}  // namespace

// The thread's state is reached once: each reach of a thread-local with a
// destructor goes through a call.
// Mostly none is under way: what nesting takes is done apart.
ThreadContext::ThreadContext(Context& context, bool ownLimits) : context_(context) {
    ThreadState& thread = t_thread;
    current_ = &thread.current;
    enclosing_ = thread.current;
    sharesBudget_ = false;
    if (thread.caches == nullptr) [[unlikely]]
        MakeCaches(thread);
    context.caches = thread.caches.get();
    if (enclosing_ != nullptr) [[unlikely]]
        NestBelowEnclosing(ownLimits);
    thread.current = &context;
}

[[gnu::noinline]] void ThreadContext::NestBelowEnclosing(bool ownLimits) {
    Context& context = context_;
    context.nestingLevel = std::max(context.nestingLevel, enclosing_->nestingLevel);
    if (context.interrupt == nullptr)
        context.interrupt = enclosing_->interrupt;
    if (context.session == nullptr)
        context.road = enclosing_->road;
    sharesBudget_ = !ownLimits;
    if (sharesBudget_) {
        context.maxValueSize = enclosing_->maxValueSize;
        context.heldRoom = enclosing_->heldRoom;
        context.budget = enclosing_->budget;
        context.checksLeft = enclosing_->checksLeft;
    }
}

ThreadContext::~ThreadContext() {
    if (sharesBudget_) {
        enclosing_->budget = context_.budget;
        enclosing_->checksLeft = context_.checksLeft;
    }
    *current_ = enclosing_;
}

void ThrowInterrupted() {
    throw Exception("Interrupted.");
}

void ThrowValueTooLarge() {
    throw Exception("Value too large.");
}

void SpendChecksOneByOne(Context& context, std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i)
        CheckInterrupt(context);
}

// A time too long to add to the clock's reading means no deadline. The first
// check goes to SpendBudget, which reads the clock and counts the batch.
void StartBudget(Context& context, const Budget& budget) {
    const Clock::time_point now = Clock::now();
    BudgetState state;
    state.timed = budget.time < Clock::time_point::max() - now;
    state.limited = state.timed || budget.checks != UINT64_MAX;
    state.checksLeft = budget.checks;
    if (state.timed)
        state.deadline = now + budget.time;
    context.budget = state;
    context.checksLeft = state.limited ? 0 : INT64_MAX;
}

namespace {

// Once spent, the budget stays spent: every later check of the evaluation
// fails again, even where a host function swallowed the first failure.
[[noreturn]] void ThrowBudgetSpent(Context& context) {
    context.budget.spent = true;
    context.checksLeft = 0;
    throw Exception("Evaluation took too long.");
}

}  // namespace

void CheckDeadline(Context& context) {
    const BudgetState& budget = context.budget;
    if (budget.timed && (budget.spent || Clock::now() >= budget.deadline))
        ThrowBudgetSpent(context);
}

void SpendBudget(Context& context) {
    BudgetState& budget = context.budget;
    if (!budget.limited) {
        context.checksLeft = INT64_MAX;
        return;
    }
    if (!budget.spent && budget.checksLeft > 0 &&
        !(budget.timed && Clock::now() >= budget.deadline)) {
        const std::uint64_t batch =
            budget.timed ? std::min(budget.checksLeft, kChecksPerClockReading) : budget.checksLeft;
        budget.checksLeft -= batch;
        context.checksLeft =
            static_cast<std::int64_t>(std::min<std::uint64_t>(batch - 1, INT64_MAX));
        return;
    }
    ThrowBudgetSpent(context);
}

}  // namespace expreval
