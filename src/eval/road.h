// Which road an evaluation takes. The fast road opens every shortcut: lines
// of arithmetic on doubles, numbers kept as doubles between operations, handlers
// reading plain-number operands in place, results taken over and joins
// gathered. The reference road closes them all: the rewrite, the scan, the
// two stacks and the handlers alone, which every shortcut must agree with
// byte for byte. Tests run one program both ways and compare.
#pragma once

#include <cstdint>

namespace expreval {

enum class Road : std::uint8_t { kFast, kReference };

// The road of evaluations whose session has not been set another (and of
// the free functions of expreval.h): the fast one, unless EXPREVAL_ROAD is
// "reference" in the environment.
Road DefaultRoad();

}  // namespace expreval
