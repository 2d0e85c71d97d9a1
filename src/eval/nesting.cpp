#include "eval/nesting.h"

#include "value/value.h"

namespace expreval {

void ThrowNestedTooDeeply() {
    throw Exception("Expression nested too deeply.");
}

}  // namespace expreval
