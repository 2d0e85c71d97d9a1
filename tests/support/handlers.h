// The built-in handlers that the rows make from their kernels and tests,
// under the names the tests read best.
#pragma once

#include "ops/ops.h"

namespace expreval {

inline constexpr Handler Subtract = Arithmetic<kSubtraction>;
inline constexpr Handler Multiply = Arithmetic<kMultiplication>;
inline constexpr Handler Divide = Arithmetic<kDivision>;
inline constexpr Handler Remainder = Arithmetic<kRemaindering>;
inline constexpr Handler Equal = Comparing<IsEqual, TextsEqual>;
inline constexpr Handler NotEqual = Comparing<IsNotEqual, TextsDiffer>;
inline constexpr Handler Less = Comparing<IsLess, TextLess>;
inline constexpr Handler LessOrEqual = Comparing<IsLessOrEqual, TextLessOrEqual>;
inline constexpr Handler Greater = Comparing<IsGreater, TextGreater>;
inline constexpr Handler GreaterOrEqual = Comparing<IsGreaterOrEqual, TextGreaterOrEqual>;
inline constexpr Handler Matches = Comparing<nullptr, TextContains>;
inline constexpr Handler DoesNotMatch = Comparing<nullptr, TextLacks>;
inline constexpr Handler LogicalAnd = Comparing<AreBothTrue, nullptr>;
inline constexpr Handler LogicalOr = Comparing<IsEitherTrue, nullptr>;
inline constexpr Handler Cosine = MathFunction<Cos>;
inline constexpr Handler Sine = MathFunction<Sin>;
inline constexpr Handler Logarithm = MathFunction<GuardedLog>;

}  // namespace expreval
