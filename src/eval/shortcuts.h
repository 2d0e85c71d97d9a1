// Whether the shortcut roads are built: the single-token and arithmetic
// roads, and handlers reading plain-number operands in place. The CMake
// option EXPREVAL_SHORTCUTS turns them off, so that every text takes the
// general road that the shortcuts are checked against.
#pragma once

#ifndef EXPREVAL_SHORTCUTS
#define EXPREVAL_SHORTCUTS 1
#endif

namespace expreval {

inline constexpr bool kShortcuts = EXPREVAL_SHORTCUTS != 0;

}  // namespace expreval
