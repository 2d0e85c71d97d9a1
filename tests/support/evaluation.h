// A fixture for unit tests that evaluate expressions, and the failure
// message of one evaluation.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/evaluate.h"
#include "support/tables.h"
#include "value/value.h"

namespace expreval::testing {

// The tables are shared by the whole test program, so tests that assign use
// variable names of their own.
class WithBuiltInTables : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { UseBuiltInTables(); }
};

inline std::string FailureOf(const std::string& expression) {
    try {
        return "no failure, result " + Evaluate(expression);
    } catch (const Exception& failure) {
        return failure.message;
    }
}

}  // namespace expreval::testing
