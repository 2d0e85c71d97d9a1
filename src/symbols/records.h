// The records of the three symbol tables and the Handler signature shared by
// every built-in function and operator.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace expreval {

// left: the left operand text (or a function's argument text); right: the
// right operand text (empty for functions); flag: always 0. Operands arrive
// unevaluated. Fails by throwing Exception.
using Handler = std::string (*)(std::string_view left, std::string_view right, int flag);

// A function that a host program defines on a session (ops/host_function.h).
struct HostFunction;

// Assigning a record from another of the same key (InsertOrReplace) takes
// the other's data only: the key and the links stay, so the list stays whole.
struct Function {
    Function() = default;
    Function(std::string functionName, Handler functionHandler);
    Function(const Function&) = delete;
    Function& operator=(Function&& other) noexcept {
        if (this != &other) {
            handler = other.handler;
            host = std::move(other.host);
        }
        return *this;
    }

    static std::string_view Key(const Function& f) { return f.name; }

    std::string name;
    Function* next = nullptr;
    Function* previous = nullptr;
    Handler handler = nullptr;
    // Set instead of handler in a host's function: a callable with state.
    std::shared_ptr<const HostFunction> host;
};

struct Operator {
    Operator() = default;
    Operator(std::string operatorSymbol, Handler operatorHandler, int operatorPrecedence);
    Operator(const Operator&) = delete;
    Operator& operator=(Operator&& other) noexcept {
        if (this != &other) {
            handler = other.handler;
            precedence = other.precedence;
        }
        return *this;
    }

    static std::string_view Key(const Operator& o) { return o.symbol; }

    Handler handler = nullptr;
    std::string symbol;
    Operator* next = nullptr;
    Operator* previous = nullptr;
    int precedence = 0;  // smaller binds tighter
};

struct Variable {
    Variable() = default;
    Variable(std::string variableName, std::string variableValue);
    Variable(const Variable&) = delete;
    // A record moved to the heap takes the name and value; links stay null.
    Variable(Variable&& other) noexcept
        : name(std::move(other.name)), value(std::move(other.value)) {}
    Variable& operator=(Variable&& other) noexcept {
        if (this != &other)
            value = std::move(other.value);
        return *this;
    }

    static std::string_view Key(const Variable& v) { return v.name; }

    std::string name;
    std::string value;
    Variable* next = nullptr;
    Variable* previous = nullptr;
};

}  // namespace expreval
