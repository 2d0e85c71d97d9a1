// Shared set-up for unit tests that evaluate expressions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/evaluate.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval::testing {

// The tables are global and built once for the whole test program, so tests
// that assign use variable names of their own.
inline void EnsureSymbolTables() {
    static const bool built = [] {
        BuildSymbolTables();
        return true;
    }();
    (void)built;
}

class WithSymbolTables : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { EnsureSymbolTables(); }
};

// The message of the failure that evaluating expression raises.
inline std::string FailureOf(const std::string& expression) {
    try {
        return "no failure, result " + Evaluate(expression);
    } catch (const Exception& failure) {
        return failure.message;
    }
}

}  // namespace expreval::testing
