#include "ops/host_function.h"

#include <utility>

#include "eval/evaluate.h"
#include "eval/limits.h"
#include "eval/single_token.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {

namespace {

// Puts back on exit, by any road, what a thread-local held on entry.
template <typename T>
class Restore {
  public:
    Restore(T& variable, T value)
        : variable_(variable), previous_(std::exchange(variable, value)) {}
    ~Restore() { variable_ = previous_; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

  private:
    T& variable_;
    T previous_;
};

// A host's code runs outside the session that calls it: the free functions
// of expreval.h that it may call use the process-wide tables, and a session
// it evaluates in makes itself current.
template <typename Call>
auto OutsideSession(Call call) {
    const Restore<SessionTables*> session(t_session, nullptr);
    return call();
}

// The numeric function being applied on this thread. ApplyFunction takes a
// plain function, which finds the callable here; a call nested in an
// argument or an element sets its own and puts this one back.
constinit thread_local const std::function<double(double)>* t_numeric = nullptr;

double CallNumeric(double x) {
    const std::function<double(double)>& numeric = *t_numeric;
    return OutsideSession([&numeric, x] { return numeric(x); });
}

// The handler that ApplyFunction applies to each element of a list.
std::string NumericHandler(std::string_view argument, std::string_view, int) {
    return ApplyFunction(argument, CallNumeric, NumericHandler);
}

}  // namespace

std::string CallHostFunction(const Function& function, std::string_view argument) {
    const HostFunction& host = *function.host;
    if (host.numeric) {
        const Restore<const std::function<double(double)>*> numeric(t_numeric, &host.numeric);
        return NumericHandler(argument, std::string_view(), 0);
    }
    const std::string value = EvaluateOperand(argument);
    std::string result = OutsideSession([&host, &value] { return host.general(value); });
    if (!IsValueText(result))
        throw Exception("Function " + function.name + " returned an invalid value.");
    CheckValueSize(result.size());
    return result;
}

bool IsValueText(std::string_view text) {
    return ClassifySingleToken(text) == SingleToken::kValue;
}

bool IsValidName(std::string_view name) {
    if (name.empty() || !IsLetter(name[0]))
        return false;
    for (const char ch : name) {
        if (!IsLetter(ch) && !IsDigit(ch))
            return false;
    }
    return true;
}

}  // namespace expreval
