// Which road an evaluation takes. The fast road opens every shortcut: the
// single-token and arithmetic roads, handlers reading plain-number operands
// in place, results taken over and joins gathered. The reference road closes
// them all: the rewrite, the scan, the two stacks and the handlers alone,
// which every shortcut must agree with byte for byte. Tests run one program
// both ways and compare.
#pragma once

#include <cstdint>

namespace expreval {

enum class Road : std::uint8_t { kFast, kReference };

// The road of the evaluations on this thread: a session sets its own around
// each of its evaluations, and takes on the road of the thread that makes
// it. The one place the evaluator asks.
constinit inline thread_local Road t_road = Road::kFast;

inline bool ShortcutsOpen() {
    return t_road == Road::kFast;
}

// Sets the road of this thread for as long as it lives.
class TakingRoad {
  public:
    explicit TakingRoad(Road road) : previous_(t_road) { t_road = road; }
    ~TakingRoad() { t_road = previous_; }
    TakingRoad(const TakingRoad&) = delete;
    TakingRoad& operator=(const TakingRoad&) = delete;

  private:
    Road previous_;
};

}  // namespace expreval
