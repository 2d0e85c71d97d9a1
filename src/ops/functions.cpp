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

std::string ApplyMathFunction(const Operand& argument, Context& context, RawFunction raw,
                              Handler self) {
    return ApplyFunction(argument, context, raw, self);
}

}  // namespace expreval
