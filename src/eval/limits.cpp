#include "eval/limits.h"

#include "value/value.h"

namespace expreval {

void ThrowValueTooLarge() {
    throw Exception("Value too large.");
}

}  // namespace expreval
