// The built-in operations: the handlers of the functions and operators, and
// the family routines they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "eval/settled.h"
#include "symbols/records.h"

namespace expreval {

// Routines shared by every operator family.

// Calls handler once per top-level element of list, with other on the side
// the list did not stand on, and returns the list of the results.
std::string ApplyToElements(Handler handler, std::string list, const std::string& other,
                            bool otherFirst);
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

// Arithmetic: + - * / %.
using RawOperation = double (*)(double a, double b);
std::string ApplyArithmetic(const std::string& left, const std::string& right,
                            RawOperation rawOperation, Handler self);
// The text of an arithmetic result: cut to its integer part when both
// operands were integer texts and it is in fixed form.
std::string ArithmeticResultText(bool integers, double value);
double RealDivide(double a, double b);
double RealRemainder(double a, double b);
double IntegerDivide(double a, double b);
double IntegerRemainder(double a, double b);

std::string Add(const std::string& left, const std::string& right, int flag);
std::string Subtract(const std::string& left, const std::string& right, int flag);
std::string Multiply(const std::string& left, const std::string& right, int flag);
std::string Divide(const std::string& left, const std::string& right, int flag);
std::string Remainder(const std::string& left, const std::string& right, int flag);

// Bitwise: & | ^ on 32-bit signed integers.
using IntegerOperation = int32_t (*)(int32_t i, int32_t j);
std::string ApplyBitwise(const std::string& left, const std::string& right,
                         IntegerOperation integerOperation, Handler self);

std::string BitwiseAnd(const std::string& left, const std::string& right, int flag);
std::string BitwiseOr(const std::string& left, const std::string& right, int flag);
std::string BitwiseXor(const std::string& left, const std::string& right, int flag);

// Concatenation: ".".
std::string Concatenate(const std::string& left, const std::string& right, int flag);

// Comparison and logical operators, yielding "1" or "0". Without a number
// predicate every value is compared as text; without a text predicate
// strings are refused.
using NumberPredicate = bool (*)(double a, double b);
using TextPredicate = bool (*)(std::string_view left, std::string_view right);
std::string ApplyComparison(const std::string& left, const std::string& right, int flag,
                            NumberPredicate numberPredicate, TextPredicate textPredicate,
                            Handler self);

std::string Equal(const std::string& left, const std::string& right, int flag);
std::string NotEqual(const std::string& left, const std::string& right, int flag);
std::string Less(const std::string& left, const std::string& right, int flag);
std::string LessOrEqual(const std::string& left, const std::string& right, int flag);
std::string Greater(const std::string& left, const std::string& right, int flag);
std::string GreaterOrEqual(const std::string& left, const std::string& right, int flag);
std::string Matches(const std::string& left, const std::string& right, int flag);
std::string DoesNotMatch(const std::string& left, const std::string& right, int flag);
std::string LogicalAnd(const std::string& left, const std::string& right, int flag);
std::string LogicalOr(const std::string& left, const std::string& right, int flag);

// Assignment: = and the compound forms, which store what their underlying
// operator's handler computes. underlying is null for "=".
std::string ApplyAssignment(const std::string& left, const std::string& right, int flag,
                            Handler underlying);

// True for the handlers of the assignments, which evaluate their right
// operand before anything else.
bool EvaluatesRightFirst(Handler handler);
std::string Assign(const std::string& left, const std::string& right, int flag);
std::string AddAssign(const std::string& left, const std::string& right, int flag);
std::string SubtractAssign(const std::string& left, const std::string& right, int flag);
std::string MultiplyAssign(const std::string& left, const std::string& right, int flag);
std::string DivideAssign(const std::string& left, const std::string& right, int flag);
std::string RemainderAssign(const std::string& left, const std::string& right, int flag);
std::string AndAssign(const std::string& left, const std::string& right, int flag);
std::string OrAssign(const std::string& left, const std::string& right, int flag);
std::string XorAssign(const std::string& left, const std::string& right, int flag);
std::string ConcatenateAssign(const std::string& left, const std::string& right, int flag);

// Math functions of one argument; a list argument is mapped element by
// element. Angles in radians.
using RawFunction = double (*)(double x);
std::string ApplyFunction(const std::string& argument, RawFunction rawFunction, Handler self);
std::string ApplyFunctionToElements(Handler handler, std::string list);
// Raw functions that throw outside their domain.
double GuardedLog(double x);
double GuardedTan(double x);
double GuardedCsc(double x);
double GuardedSec(double x);
double GuardedCot(double x);

std::string Cosine(const std::string& argument, const std::string& unused, int flag);
std::string Cotangent(const std::string& argument, const std::string& unused, int flag);
std::string Cosecant(const std::string& argument, const std::string& unused, int flag);
std::string Logarithm(const std::string& argument, const std::string& unused, int flag);
std::string Secant(const std::string& argument, const std::string& unused, int flag);
std::string Sine(const std::string& argument, const std::string& unused, int flag);
std::string Tangent(const std::string& argument, const std::string& unused, int flag);

}  // namespace expreval
