#include <cmath>
#include <utility>

#include "eval/evaluate.h"
#include "ops/operands.h"
#include "ops/ops.h"
#include "value/value.h"

namespace expreval {

// A function handler takes its argument on the left and an empty right text,
// which is exactly how the operator mapping calls its handler; that routine
// also bounds the nesting of lists that contain themselves.
std::string ApplyFunctionToElements(Context& context, Handler handler, std::string list) {
    return ApplyToElements(context, handler, std::move(list), std::string_view(), false);
}

double Cos(double x) {
    return std::cos(x);
}

double Sin(double x) {
    return std::sin(x);
}

// The domain tests compare with exact zero: a merely tiny sine or cosine
// passes and gives a very large result.
double GuardedLog(double x) {
    if (!(x > 0))
        throw Exception("Log requires arguement greater than 0.");
    return std::log10(x);
}

double GuardedTan(double x) {
    const double c = std::cos(x);
    if (c == 0)
        throw Exception("Tan requires cos(arguement) not equal 0.");
    return std::sin(x) / c;
}

double GuardedCsc(double x) {
    const double s = std::sin(x);
    if (s == 0)
        throw Exception("Csc requires sin(arguement) not equal 0.");
    return 1 / s;
}

double GuardedSec(double x) {
    const double c = std::cos(x);
    if (c == 0)
        throw Exception("Sec requires sec(arguement) not equal 0.");
    return 1 / c;
}

double GuardedCot(double x) {
    const double s = std::sin(x);
    if (s == 0)
        throw Exception("Cot requires sin(arguement) not equal 0.");
    return std::cos(x) / s;
}

std::string Cosine(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, Cos, Cosine);
}

std::string Cotangent(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, GuardedCot, Cotangent);
}

std::string Cosecant(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, GuardedCsc, Cosecant);
}

std::string Logarithm(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, GuardedLog, Logarithm);
}

std::string Secant(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, GuardedSec, Secant);
}

std::string Sine(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, Sin, Sine);
}

std::string Tangent(const Operand& argument, const Operand&, Context& context) {
    return ApplyFunction(argument, context, GuardedTan, Tangent);
}

}  // namespace expreval
