// Stopping an evaluation from outside it: a person's Ctrl-C at the console, a
// host's other thread or signal handler. One mechanism serves both, and with
// it the budget of work or time a host gives each evaluation.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace expreval {

// Set from any thread, or from a signal handler (it is lock-free), to stop
// the evaluations that watch it; whoever owns it clears it before the next.
using InterruptFlag = std::atomic<bool>;
static_assert(InterruptFlag::is_always_lock_free);

// The flag that the evaluations of this thread watch; null when none does.
constinit inline thread_local const InterruptFlag* t_interrupt = nullptr;

// Checks this thread may still make before the budget is looked at again.
// Without a budget it starts too high to run out.
constinit inline thread_local std::int64_t t_checksLeft = INT64_MAX;

// Throws Exception "Interrupted.".
[[noreturn]] void ThrowInterrupted();

// Refills t_checksLeft from the budget of the evaluation under way, or
// throws Exception "Evaluation took too long." once it is spent.
void SpendBudget();

// Whether the flag watched here is set: a relaxed load, so that it costs
// next to nothing when no one interrupts.
inline bool InterruptRequested() {
    return t_interrupt != nullptr && t_interrupt->load(std::memory_order_relaxed);
}

// Called where evaluation already counts its work (each nesting level, each
// list element, every so many bytes of a long scan): a relaxed load and a
// count, so that it costs next to nothing when no one interrupts and no
// budget is set.
inline void CheckInterrupt() {
    if (InterruptRequested())
        ThrowInterrupted();
    if (--t_checksLeft < 0)
        SpendBudget();
}

// Gives back count checks made for work that is then done again and
// checked again: a shortcut that gave a line up to the full road.
inline void RefundChecks(std::int64_t count) {
    t_checksLeft = t_checksLeft > INT64_MAX - count ? INT64_MAX : t_checksLeft + count;
}

// For a scan that may run through megabytes in one step of the evaluation:
// checks each time the scan has moved kInterruptStride bytes further, at
// the cost of one comparison for every other step.
inline constexpr size_t kInterruptStride = 4096;

class InterruptCheckpoints {
  public:
    void Pass(size_t position) {
        if (position >= next_) [[unlikely]] {
            next_ = position + kInterruptStride;
            CheckInterrupt();
        }
    }

  private:
    size_t next_ = kInterruptStride;
};

// Makes the evaluations of this thread watch flag for as long as it lives.
class WatchInterrupt {
  public:
    explicit WatchInterrupt(const InterruptFlag& flag) : previous_(t_interrupt) {
        t_interrupt = &flag;
    }
    ~WatchInterrupt() { t_interrupt = previous_; }
    WatchInterrupt(const WatchInterrupt&) = delete;
    WatchInterrupt& operator=(const WatchInterrupt&) = delete;

  private:
    const InterruptFlag* previous_;
};

// What one evaluation may spend: checks (about one per operand evaluated and
// one per list element) and time; the largest values mean no bound.
struct Budget {
    std::uint64_t checks = UINT64_MAX;
    std::chrono::steady_clock::duration time = std::chrono::steady_clock::duration::max();
};

// The budget of the evaluation under way on this thread.
struct BudgetState {
    bool limited = false;
    bool spent = false;
    bool timed = false;
    std::uint64_t checksLeft = 0;  // beyond t_checksLeft
    std::chrono::steady_clock::time_point deadline;
};
constinit inline thread_local BudgetState t_budget;

// Gives the evaluations of this thread budget for as long as it lives; the
// budget before it comes back afterwards, as it was.
class SpendingBudget {
  public:
    explicit SpendingBudget(const Budget& budget);
    ~SpendingBudget();
    SpendingBudget(const SpendingBudget&) = delete;
    SpendingBudget& operator=(const SpendingBudget&) = delete;

  private:
    BudgetState previous_;
    std::int64_t previousChecks_;
};

}  // namespace expreval
