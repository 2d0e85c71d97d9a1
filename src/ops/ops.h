// The built-in operations: the handlers of the functions and operators, and
// the family routines they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// Arithmetic: + - * / %.
using RawOperation = double (*)(double a, double b);
std::string ApplyArithmetic(const std::string& left, const std::string& right,
                            RawOperation rawOperation, Handler self);
double RealDivide(double a, double b);
double RealRemainder(double a, double b);
double IntegerDivide(double a, double b);
double IntegerRemainder(double a, double b);

std::string Add(const std::string& left, const std::string& right, int flag);
std::string Subtract(const std::string& left, const std::string& right, int flag);
std::string Multiply(const std::string& left, const std::string& right, int flag);
std::string Divide(const std::string& left, const std::string& right, int flag);
std::string Remainder(const std::string& left, const std::string& right, int flag);

}  // namespace expreval
