#include "eval/interrupt.h"

#include "value/value.h"

namespace expreval {

void ThrowInterrupted() {
    throw Exception("Interrupted.");
}

}  // namespace expreval
