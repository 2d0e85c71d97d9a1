#include "eval/interrupt.h"

#include <algorithm>

#include "value/value.h"

namespace expreval {

namespace {

// Checks between two readings of the clock: a reading costs about as much
// as the work of a few checks.
constexpr std::uint64_t kChecksPerClockReading = 64;

using Clock = std::chrono::steady_clock;

}  // namespace

void ThrowInterrupted() {
    throw Exception("Interrupted.");
}

// Once spent, the budget stays spent: every later check of the evaluation
// fails again, even where a host function swallowed the first failure.
void SpendBudget() {
    BudgetState& budget = t_budget;
    if (!budget.limited) {
        t_checksLeft = INT64_MAX;
        return;
    }
    if (!budget.spent && budget.checksLeft > 0 &&
        !(budget.timed && Clock::now() >= budget.deadline)) {
        const std::uint64_t batch =
            budget.timed ? std::min(budget.checksLeft, kChecksPerClockReading) : budget.checksLeft;
        budget.checksLeft -= batch;
        t_checksLeft = static_cast<std::int64_t>(std::min<std::uint64_t>(batch - 1, INT64_MAX));
        return;
    }
    budget.spent = true;
    t_checksLeft = 0;
    throw Exception("Evaluation took too long.");
}

// A time too long to add to the clock's reading means no deadline. The first
// check goes to SpendBudget, which reads the clock and counts the batch.
SpendingBudget::SpendingBudget(const Budget& budget)
    : previous_(t_budget), previousChecks_(t_checksLeft) {
    const Clock::time_point now = Clock::now();
    BudgetState state;
    state.timed = budget.time < Clock::time_point::max() - now;
    state.limited = state.timed || budget.checks != UINT64_MAX;
    state.checksLeft = budget.checks;
    if (state.timed)
        state.deadline = now + budget.time;
    t_budget = state;
    t_checksLeft = state.limited ? 0 : INT64_MAX;
}

SpendingBudget::~SpendingBudget() {
    t_budget = previous_;
    t_checksLeft = previousChecks_;
}

}  // namespace expreval
