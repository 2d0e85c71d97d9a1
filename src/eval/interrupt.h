// Stopping an evaluation from outside it: a person's Ctrl-C at the console, a
// host's other thread or signal handler. One mechanism serves both, and with
// it the budget of work or time a host gives each evaluation. The context of
// an evaluation (eval/context.h) holds its flag and budget, and checks them.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace expreval {

// Set from any thread, or from a signal handler (it is lock-free), to stop
// the evaluations that watch it; whoever owns it clears it before the next.
using InterruptFlag = std::atomic<bool>;
static_assert(InterruptFlag::is_always_lock_free);

// Throws Exception "Interrupted.".
[[noreturn]] void ThrowInterrupted();

// What one evaluation may spend: checks (about one per operand evaluated and
// one per list element) and time; the largest values mean no bound.
struct Budget {
    std::uint64_t checks = UINT64_MAX;
    std::chrono::steady_clock::duration time = std::chrono::steady_clock::duration::max();
};

// The budget of one evaluation, as it is spent.
struct BudgetState {
    bool limited = false;
    bool spent = false;
    bool timed = false;
    std::uint64_t checksLeft = 0;  // beyond the context's checksLeft
    std::chrono::steady_clock::time_point deadline;
};

}  // namespace expreval
