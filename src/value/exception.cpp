#include "expreval/exception.h"

namespace expreval {

const char* Exception::what() const noexcept {
    return message.c_str();
}

}  // namespace expreval
