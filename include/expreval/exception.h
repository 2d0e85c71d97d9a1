// Exception: the one error type of expreval.
#pragma once

#include <string>
#include <utility>

namespace expreval {

// Every failure of an evaluation is thrown as an Exception by value; message
// is exactly the text the user sees, such as "Variable y does not exist.".
class Exception {
  public:
    explicit Exception(std::string text) : message(std::move(text)) {}
    std::string message;
};

}  // namespace expreval
