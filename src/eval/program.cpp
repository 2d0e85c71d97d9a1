#include "eval/program.h"

#include "eval/grammar.h"
#include "value/value.h"

namespace expreval {

// The checks the scan makes are counted as it spends them.
void Compile(Context& context, std::string_view text, Program& program) {
    Grammar<Program> grammar(context, program);
    const std::int64_t checksBefore = context.checksLeft;
    try {
        Scan(context, text, grammar);
        grammar.Finish();
    } catch (const Exception& failure) {
        program.Fail(failure.message);
    }
    program.SetScanChecks(checksBefore - context.checksLeft);
}

}  // namespace expreval
