// Uses the library the way a host program does: build the tables, define a
// variable, evaluate texts and catch the failures. EXPECTED_VERSION is the
// version the build found the package with.
#include <expreval/expreval.h>
#include <expreval/session.h>
#include <expreval/values.h>

#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Compare(const std::string& expression, const std::string& actual,
             const std::string& expected) {
    if (actual != expected) {
        std::cout << expression << " gave " << actual << ", expected " << expected << '\n';
        ++failures;
    }
}

void Expect(const std::string& expression, const std::string& expected) {
    std::string actual;
    try {
        actual = expreval::Evaluate(expression);
    } catch (const expreval::Exception& failure) {
        actual = "failure: " + failure.message;
    }
    Compare(expression, actual, expected);
}

}  // namespace

int main() {
    const std::string version = std::to_string(EXPREVAL_VERSION_MAJOR) + "." +
                                std::to_string(EXPREVAL_VERSION_MINOR) + "." +
                                std::to_string(EXPREVAL_VERSION_PATCH);
    if (version != EXPREVAL_VERSION_STRING || version != EXPECTED_VERSION) {
        std::cout << "headers of version " << version << " (" << EXPREVAL_VERSION_STRING
                  << "), package of version " << EXPECTED_VERSION << '\n';
        ++failures;
    }
    expreval::BuildSymbolTables();
    expreval::SetVariable("Rate", "0.25");
    expreval::SetVariable("names", "{\"ab\",\"cd\"}");

    Expect("RATE*4", "1.");
    Expect("7/2", "3");
    Expect("zurp*2", "{2,4,6,8,10}");
    Expect("names", "{\"ab\",\"cd\"}");
    Expect("y", "failure: Variable y does not exist.");
    Expect("total=rate*8", "2.");  // an assignment defines a variable for later texts
    Expect("total", "2.");
    expreval::SetVariable("rate", "2");
    Expect("rate+1", "3");

    // The library's failure type is a std::exception for the host as well,
    // and a value no expression could hold is refused.
    try {
        expreval::Evaluate("y");
        std::cout << "y did not fail\n";
        ++failures;
    } catch (const std::exception& failure) {
        Compare("y", failure.what(), "Variable y does not exist.");
    }
    try {
        expreval::SetVariable("odd", "1 + 2");
        std::cout << "1 + 2 was stored\n";
        ++failures;
    } catch (const std::invalid_argument&) {
    }

    // A session's function of two arguments, and the value helpers.
    expreval::Session session;
    session.DefineFunction("minus", 2, [](const std::vector<double>& x) { return x[0] - x[1]; });
    Compare("minus(7,2)", session.Evaluate("minus(7,2)"), "5.");
    Compare("ToListValue", expreval::ToListValue({"1", expreval::ToStringValue("a,b")}),
            "{1,\"a,b\"}");
    if (expreval::FromNumberValue("5.e-002") != 0.05 || expreval::IsValueText("1.#INF")) {
        std::cout << "the number helpers read 5.e-002 or 1.#INF wrongly\n";
        ++failures;
    }

    std::cout << (failures == 0 ? "consumer: all evaluations as expected\n" : "consumer: FAILED\n");
    return failures == 0 ? 0 : 1;
}
