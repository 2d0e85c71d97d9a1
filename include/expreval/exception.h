// Exception: the one error type of expreval.
#pragma once

#include <string>
#include <utility>

#include "expreval/export.h"

namespace expreval {

// Every failure of an evaluation is thrown as an Exception by value; message
// is exactly the text the user sees, such as "Variable y does not exist.".
class EXPREVAL_API Exception {
  public:
    explicit Exception(std::string text) : message(std::move(text)) {}
    std::string message;
};

}  // namespace expreval
