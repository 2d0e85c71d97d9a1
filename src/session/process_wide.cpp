// The free functions of expreval.h: evaluation in the process-wide tables,
// which are built on first use.
#include <string>
#include <utility>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "expreval/expreval.h"  // its declarations export what is defined here
#include "ops/builtins.h"
#include "session/session.h"
#include "symbols/tables.h"

namespace expreval {

namespace {

// A host that evaluates or defines a variable before building the tables
// gets them then, not a null table.
void EnsureSymbolTables() {
    if (g_variables == nullptr)
        BuildSymbolTables();
}

}  // namespace

void BuildSymbolTables() {
    EnsureBuiltInTables();
    if (g_variables == nullptr)
        g_variables = new SymbolList<Variable>();
    ResetVariables();
}

void SetVariable(std::string name, std::string value) {
    EnsureSymbolTables();
    StoreHostVariable(*g_variables, name, std::move(value));
}

// An evaluation in the process-wide tables has no limits of its own: one
// that a host's function starts works within the session's that called it.
std::string Evaluate(std::string expression) {
    EnsureSymbolTables();
    Context context;
    context.road = DefaultRoad();
    const ThreadContext thread(context, false);
    return EvaluateOwned(context, std::move(expression));
}

}  // namespace expreval
