// Stopping an evaluation from outside it: a person's Ctrl-C at the console, a
// host's other thread or signal handler. One mechanism serves both.
#pragma once

#include <atomic>
#include <cstddef>

namespace expreval {

// Set from any thread, or from a signal handler (it is lock-free), to stop
// the evaluations that watch it; whoever owns it clears it before the next.
using InterruptFlag = std::atomic<bool>;
static_assert(InterruptFlag::is_always_lock_free);

// The flag that the evaluations of this thread watch; null when none does.
constinit inline thread_local const InterruptFlag* t_interrupt = nullptr;

// Throws Exception "Interrupted.".
[[noreturn]] void ThrowInterrupted();

// Whether the flag watched here is set: a relaxed load, so that it costs
// next to nothing when no one interrupts.
inline bool InterruptRequested() {
    return t_interrupt != nullptr && t_interrupt->load(std::memory_order_relaxed);
}

// Called where evaluation already counts its work (each nesting level, each
// list element, every so many bytes of a long scan).
inline void CheckInterrupt() {
    if (InterruptRequested())
        ThrowInterrupted();
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

}  // namespace expreval
