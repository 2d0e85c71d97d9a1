// Host functions of several arguments and of none, through the public
// header alone.
#include <expreval/session.h>
#include <expreval/values.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using expreval::Session;

std::string Result(Session& session, const std::string& expression) {
    try {
        return session.Evaluate(expression);
    } catch (const expreval::Exception& failure) {
        return "failure: " + failure.message;
    }
}

double Sum(const std::vector<double>& numbers) {
    double sum = 0;
    for (const double x : numbers)
        sum += x;
    return sum;
}

Session WithFunctions() {
    Session session;
    session.DefineFunction("sum", Session::kVariadic, Sum);
    session.DefineFunction("minus", 2, [](const std::vector<double>& x) { return x[0] - x[1]; });
    session.DefineFunction("answer", 0, [](const std::vector<double>&) { return 42.0; });
    session.DefineFunction("twice", 1, [](const std::vector<double>& x) { return 2 * x[0]; });
    session.DefineValueFunction(
        "count", Session::kVariadic,
        [](const std::vector<std::string>& values) { return std::to_string(values.size()); });
    session.DefineValueFunction("second", 2,
                                [](const std::vector<std::string>& values) { return values[1]; });
    session.DefineValueFunction("list", Session::kVariadic, expreval::ToListValue);
    session.DefineValueFunction("infinite", 0, [](const std::vector<std::string>&) {
        return expreval::ToNumberValue(1e308 * 10);
    });
    return session;
}

// The arguments are cut where the scanner would meet a comma between two
// operands, never inside a string, list, group or call; each is evaluated
// in order.
TEST(HostFunctionArguments, AreCountedCutAndEvaluatedInOrder) {
    Session session = WithFunctions();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"sum()", "0."},
        {"sum(1)", "1."},
        {"SUM(1, 2, 3.5)", "6.5"},
        {"sum(0.05)", "5.e-002"},
        {"minus(7,2)", "5."},
        {"minus(-1,-2)", "1."},
        {"minus(2,7)*{1,2}", "{-5.,-10.}"},
        {"answer()", "42."},
        {"sin(answer()-42)", "0."},
        {"twice(4)", "8."},
        {"sum(sum(1,2),minus(5,1))", "7."},
        {"sum((1+2)*2,3)", "9."},
        {"count()", "0"},
        {"count(\"a,b\")", "1"},
        {"count({1,2},{3})", "2"},
        {"count((1,2))", "failure: Operator , does not exist."},
        {"second(\"x,y\",{1,\"(\"})", "{1,\"(\"}"},
        {"list(1,\"A b\",-2.5)", "{1,\"A b\",-2.5}"},
        {"minus(a=1,a+1)", "-1."},
        // An argument that overflowed is passed as the infinity it is.
        {"minus(1e308*10,1)", "1.#INF"},
        {"sum(1,-1e308*10)", "-1.#INF"},
        {"second(b=2,b*3)", "6"},
        // Failures.
        {"answer(1)", "failure: Function answer takes no arguments."},
        {"twice()", "failure: Function twice takes 1 argument."},
        {"twice(1,2)", "failure: Function twice takes 1 argument."},
        {"minus(1)", "failure: Function minus takes 2 arguments."},
        {"second(1,2,3)", "failure: Function second takes 2 arguments."},
        {"sum(1,,2)", "failure: Too many operands."},
        {"sum(1,)", "failure: Too many operands."},
        {"count(,)", "failure: Too many operands."},
        {"sum(1,\"a\")", "failure: Function does not support strings."},
        {"twice({1,2})", "failure: Function does not support lists."},
        {"sum(1,zurp)", "failure: Variable zurp does not exist."},
        {"infinite()", "failure: Function infinite returned an invalid value."},
        {"sin(1,2)", "failure: Operator , does not exist."},
        {"sin()", "failure: Too many operands."},
        // Arguments that do not scan report the fault, not a count.
        {"answer(-)", "failure: Negative sign missing number."},
        {"minus(1,2,-x)", "failure: Negative sign missing number."},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(Result(session, expression), expected) << expression;
    EXPECT_EQ(session.Variable("a"), "1");
    // A wrong count is refused before any argument runs; a failing argument
    // leaves those before it done.
    EXPECT_EQ(Result(session, "minus(c=1)"), "failure: Function minus takes 2 arguments.");
    EXPECT_EQ(session.Variable("c"), std::nullopt);
    EXPECT_EQ(Result(session, "sum(d=1,\"x\",e=2)"), "failure: Function does not support strings.");
    EXPECT_EQ(session.Variable("d"), "1");
    EXPECT_EQ(session.Variable("e"), std::nullopt);
    // Calls nested as deep as the bound allows fit the stack, one more is
    // refused.
    std::string chain = "1";
    for (int depth = 1; depth <= 1000; ++depth) {
        chain = "sum(1," + chain + ")";
        if (depth == 999) {
            EXPECT_EQ(Result(session, chain), "1000.");
        }
    }
    EXPECT_EQ(Result(session, chain), "failure: Expression nested too deeply.");
}

TEST(HostFunctionArguments, AreCopiedRedefinedAndChecked) {
    Session session = WithFunctions();
    Session copy = session;
    EXPECT_EQ(Result(copy, "minus(3,1)+count(1,2)"), "4.");
    // Each form replaces another under the same name.
    session.DefineFunction("minus", [](double x) { return -x; });
    EXPECT_EQ(Result(session, "minus({1,2})"), "{-1.,-2.}");
    EXPECT_EQ(Result(copy, "minus(3,1)"), "2.");
    copy.DefineFunction("twice", Session::kVariadic, Sum);
    EXPECT_EQ(Result(copy, "twice(1,2)"), "3.");
    const auto numbers = [](const std::vector<double>&) { return 0.0; };
    EXPECT_THROW(session.DefineFunction("f", -2, numbers), std::invalid_argument);
    EXPECT_THROW(session.DefineFunction("sin", 2, numbers), std::invalid_argument);
    EXPECT_THROW(session.DefineFunction("2f", 2, numbers), std::invalid_argument);
    EXPECT_THROW(session.DefineValueFunction("f", 1, nullptr), std::invalid_argument);
}

}  // namespace
