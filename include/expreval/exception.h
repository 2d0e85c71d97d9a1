// Exception: the one error type of expreval.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "expreval/export.h"

namespace expreval {

// Every failure of an evaluation is thrown as an Exception by value; message
// is exactly the text the user sees, such as "Variable y does not exist.".
// A std::exception, so that a host's catch of those meets it too; what()
// gives message.
class EXPREVAL_API Exception : public std::exception {
  public:
    explicit Exception(std::string text) : message(std::move(text)) {}
    // Out of line: the library alone holds the type's vtable and type
    // information, which every host then shares.
    const char* what() const noexcept override;

    std::string message;
};

}  // namespace expreval
