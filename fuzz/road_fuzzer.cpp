// libFuzzer target: each input's lines are evaluated in turn in sessions on
// the reference road and on the fast road, and compiled as formulas and
// evaluated in another, which must agree on every result
// and message, on the calls of host functions, in order, and on the
// variables after each line. Any difference traps.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "eval/road.h"
#include "expreval/session.h"
#include "session/session.h"
#include "symbols/tables.h"

namespace {

// Bounds that keep each input fast: lines past them are not evaluated.
constexpr size_t kMaxLines = 64;
constexpr size_t kMaxLineLength = 2048;
// Texts that double a value (zurp.=zurp) fail early under this limit, which
// must stop them alike on both roads.
constexpr size_t kMaxValueSize = 16 * 1024;
constexpr std::string_view kValueTooLarge = "failure: Value too large.";

constexpr std::pair<const char*, const char*> kVariables[] = {
    {"x", "7.5"},        {"y", "-12"},    {"n", "007"},
    {"rate", "2.50"},    {"w", "-5"},     {"big", "1.2345678901235e+014"},
    {"l", "{1,2}"},      {"ll", "{l,x}"}, {"s", "\"ab\""},
    {"q", "\"x\\\"y\""}, {"e", "1e5"},
};

struct OnRoad {
    OnRoad(expreval::Road road, bool limited, bool formulas = false)
        : session(expreval::Session::Console()), asFormula(formulas) {
        if (limited) {
            expreval::Limits limits;
            limits.maxValueSize = kMaxValueSize;
            session.SetLimits(limits);
        }
        expreval::SetRoad(session, road);
        // Host functions whose calls are effects to compare: h on numbers,
        // v on any value, which it gives back unchanged.
        session.DefineFunction("h", [this](double x) {
            calls.push_back("h" + std::to_string(std::bit_cast<std::uint64_t>(x)));
            return x * 2 + 1;
        });
        session.DefineValueFunction("v", [this](const std::string& value) {
            calls.push_back("v" + value);
            return value;
        });
        // p, of two numbers, pure where lines are formulas (which may then
        // call it more than once): its calls are no effect to compare.
        session.DefineFunction(
            "p", 2, [](const std::vector<double>& x) { return x[0] * 3 - x[1]; },
            formulas ? expreval::Session::Purity::kPure
                     : expreval::Session::Purity::kMayHaveEffects);
    }

    // The variables of a fresh run: zurp, and names that mutated lines meet
    // defined, with values of every kind (most names a fuzzer writes would
    // otherwise only fail).
    void StartOver() {
        expreval::SymbolList<expreval::Variable>& variables = TablesOf(session).variables;
        variables.Clear();
        expreval::DefinePredefinedVariables(variables);
        for (const auto& [name, value] : kVariables)
            session.SetVariable(name, value);
        calls.clear();
    }

    std::string Answer(const std::string& line) {
        try {
            if (asFormula)
                return session.Evaluate(session.Compile(line));
            return session.Evaluate(line);
        } catch (const expreval::Exception& failure) {
            return "failure: " + failure.message;
        }
    }

    expreval::Session session;
    bool asFormula;  // each line compiled, then evaluated as a formula
    std::vector<std::string> calls;
    std::string answer;
};

void Require(bool same) {
    if (!same)
        __builtin_trap();
}

void Take(const std::string& line, std::span<OnRoad* const> sessions) {
    for (OnRoad* road : sessions)
        road->answer = road->Answer(line);
}

// Each session must have answered, called the host functions and left the
// variables as the first; the calls are then forgotten.
void RequireAlike(std::span<OnRoad* const> sessions) {
    const OnRoad& first = *sessions[0];
    for (const OnRoad* road : sessions.subspan(1)) {
        Require(road->answer == first.answer);
        Require(road->calls == first.calls);
        Require(road->session.Variables() == first.session.Variables());
    }
    for (OnRoad* road : sessions)
        road->calls.clear();
}

}  // namespace

// Sessions with the limit on values, and the console's sessions without it,
// in which the fast road takes shortcuts it leaves under a limit (joins of a
// list's elements gathered). These take each line only as long as no line
// has met the limit: until then they must answer as the limited ones, and
// cannot build a value past it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Made once: each run starts them over, which costs less.
    static OnRoad reference(expreval::Road::kReference, true);
    static OnRoad fast(expreval::Road::kFast, true);
    static OnRoad formula(expreval::Road::kFast, true, true);
    static OnRoad referenceOpen(expreval::Road::kReference, false);
    static OnRoad fastOpen(expreval::Road::kFast, false);
    OnRoad* const limited[] = {&reference, &fast, &formula};
    OnRoad* const open[] = {&referenceOpen, &fastOpen};
    OnRoad* const all[] = {&reference, &fast, &formula, &referenceOpen, &fastOpen};
    for (OnRoad* road : all)
        road->StartOver();
    bool withOpen = true;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (size_t lines = 0; start < input.size() && lines < kMaxLines; ++lines) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string line(input.substr(start, end - start));
        start = end + 1;
        if (line.size() > kMaxLineLength)
            continue;
        Take(line, limited);
        withOpen = withOpen && reference.answer != kValueTooLarge && fast.answer != kValueTooLarge;
        if (withOpen)
            Take(line, open);
        RequireAlike(withOpen ? std::span<OnRoad* const>(all) : std::span<OnRoad* const>(limited));
    }
    return 0;
}
