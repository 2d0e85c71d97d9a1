// The built-in tables, built once for the whole test program.
#pragma once

#include <string>
#include <utility>

#include "eval/context.h"
#include "expreval/expreval.h"
#include "symbols/tables.h"

namespace expreval {

inline void UseBuiltInTables() {
    static const bool built = [] {
        BuildSymbolTables();
        return true;
    }();
    (void)built;
}

// Stores value under name in g_variables as an assignment does, unchecked:
// for a value that only evaluation writes ("1.#INF") or that a host may not
// set ("{1,}").
inline void StoreGlobal(std::string name, std::string value) {
    StoreVariable(*g_variables, std::move(name), std::move(value));
}

// A context in the process-wide tables for a test that calls the
// evaluator's routines or a handler directly: TestContext() where a Context&
// is asked for lives until the end of the call; on the program's road,
// unless one is named.
class TestContext {
  public:
    explicit TestContext(Road road = DefaultRoad()) : thread_(OnRoad(context_, road), false) {}
    operator Context&() { return context_; }
    Context& operator*() { return context_; }
    Context* operator->() { return &context_; }

  private:
    static Context& OnRoad(Context& context, Road road) {
        context.road = road;
        return context;
    }

    Context context_;
    ThreadContext thread_;
};

}  // namespace expreval
