// Exception, the type of every evaluation failure, has its one function
// that is not inline here: its type information is then made once, in the
// library, so that a host's catch matches what the library throws.
#include "expreval/exception.h"

namespace expreval {

const char* Exception::what() const noexcept {
    return message.c_str();
}

}  // namespace expreval
