// The built-in operations: the handlers of the functions and operators, and
// the family routines they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "eval/context.h"
#include "symbols/records.h"
#include "value/settled.h"

namespace expreval {

// Routines shared by every operator family.

// Calls handler once per top-level element of list, with other on the side
// the list did not stand on, and returns the list of the results.
std::string ApplyToElements(Context& context, Handler handler, std::string list,
                            std::string_view other, bool otherFirst);
// Half away from zero, then the low 32 bits of the integer value; 0 for
// infinities and NaN.
int32_t RoundHalfAway(double x);

// Joining texts, shared by + and ".". Two lists become one list; a string
// with a string or a number becomes one string holding both texts.
std::string JoinLists(std::string left, const std::string& right);
std::string JoinWithString(std::string left, const std::string& right);
// Two numbers joined by "."; and the same for a left number known to be
// settled (no exponent; leftPoint tells whether it holds a point), which
// also puts the result's form in form unless it is null (it must then hold
// kUnknown). A test holds the two equal.
std::string JoinNumbers(std::string left, const std::string& right);
std::string JoinSettledNumbers(std::string left, const std::string& right, bool leftPoint,
                               Settled* form);

// Arithmetic: + - * / %. Each operator's work on two numbers is its
// kernel: its row names it once, and the handler of - * / % is made from it.
extern const NumberKernel kAddition;
extern const NumberKernel kSubtraction;
extern const NumberKernel kMultiplication;
extern const NumberKernel kDivision;
extern const NumberKernel kRemaindering;
std::string ApplyArithmetic(const Operand& left, const Operand& right, Context& context,
                            const NumberKernel& kernel, Handler self);
double RealDivide(double a, double b);
double RealRemainder(double a, double b);
double IntegerDivide(double a, double b);
double IntegerRemainder(double a, double b);

// "+" also joins strings, and lists.
std::string Add(const Operand& left, const Operand& right, Context& context);
template <const NumberKernel& kKernel>
std::string Arithmetic(const Operand& left, const Operand& right, Context& context) {
    return ApplyArithmetic(left, right, context, kKernel, Arithmetic<kKernel>);
}

// Bitwise: & | ^ on 32-bit signed integers.
using IntegerOperation = int32_t (*)(int32_t i, int32_t j);
std::string ApplyBitwise(const Operand& left, const Operand& right, Context& context,
                         IntegerOperation integerOperation, Handler self);

std::string BitwiseAnd(const Operand& left, const Operand& right, Context& context);
std::string BitwiseOr(const Operand& left, const Operand& right, Context& context);
std::string BitwiseXor(const Operand& left, const Operand& right, Context& context);

// Concatenation: ".".
std::string Concatenate(const Operand& left, const Operand& right, Context& context);

// Comparison and logical operators, yielding "1" or "0". Without a number
// predicate every value is compared as text; without a text predicate
// strings are refused.
using TextPredicate = bool (*)(std::string_view left, std::string_view right, Context& context);
std::string ApplyComparison(const Operand& left, const Operand& right, Context& context,
                            NumberPredicate numberPredicate, TextPredicate textPredicate,
                            Handler self);

// The tests of two numbers, which the rows give the evaluator too.
bool IsEqual(double a, double b);
bool IsNotEqual(double a, double b);
bool IsLess(double a, double b);
bool IsLessOrEqual(double a, double b);
bool IsGreater(double a, double b);
bool IsGreaterOrEqual(double a, double b);
bool AreBothTrue(double a, double b);
bool IsEitherTrue(double a, double b);
// The tests of two string contents, or of other values' texts.
bool TextsEqual(std::string_view left, std::string_view right, Context& context);
bool TextsDiffer(std::string_view left, std::string_view right, Context& context);
bool TextLess(std::string_view left, std::string_view right, Context& context);
bool TextLessOrEqual(std::string_view left, std::string_view right, Context& context);
bool TextGreater(std::string_view left, std::string_view right, Context& context);
bool TextGreaterOrEqual(std::string_view left, std::string_view right, Context& context);
bool TextContains(std::string_view left, std::string_view right, Context& context);
bool TextLacks(std::string_view left, std::string_view right, Context& context);
// The handler of the comparison made of these tests.
template <NumberPredicate kNumbers, TextPredicate kTexts>
std::string Comparing(const Operand& left, const Operand& right, Context& context) {
    return ApplyComparison(left, right, context, kNumbers, kTexts, Comparing<kNumbers, kTexts>);
}

// Assignment: = and the compound forms, which store what their underlying
// operator's handler computes. underlying is null for "=".
std::string ApplyAssignment(const Operand& left, const Operand& right, Context& context,
                            Handler underlying);

std::string Assign(const Operand& left, const Operand& right, Context& context);
// The compound form of the operator whose handler is underlying.
template <Handler underlying>
std::string CompoundAssign(const Operand& left, const Operand& right, Context& context) {
    return ApplyAssignment(left, right, context, underlying);
}

// Math functions of one argument; a list argument is mapped element by
// element (ApplyFunction, ops/operands.h). Angles in radians.
using RawFunction = double (*)(double x);
std::string ApplyFunctionToElements(Context& context, Handler handler, std::string list);
// Raw functions, shared by the handlers and the rows; the guarded ones
// throw outside their domain.
double Cos(double x);
double Sin(double x);
double GuardedLog(double x);
double GuardedTan(double x);
double GuardedCsc(double x);
double GuardedSec(double x);
double GuardedCot(double x);

std::string ApplyMathFunction(const Operand& argument, Context& context, RawFunction raw,
                              Handler self);
// The handler of the function whose raw function is kRaw.
template <RawFunction kRaw>
std::string MathFunction(const Operand& argument, const Operand&, Context& context) {
    return ApplyMathFunction(argument, context, kRaw, MathFunction<kRaw>);
}

}  // namespace expreval
