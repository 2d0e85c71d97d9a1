#include "eval/program.h"

#include "eval/grammar.h"
#include "value/value.h"

namespace expreval {

void Compile(Context& context, std::string_view text, Program& program) {
    Grammar<Program> grammar(context, program);
    try {
        Scan(context, text, grammar);
        grammar.Finish();
    } catch (const Exception& failure) {
        program.Fail(failure.message);
    }
}

}  // namespace expreval
