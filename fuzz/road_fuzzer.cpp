// libFuzzer target: each input's lines are evaluated in turn in two sessions,
// one on the reference road and one on the fast road, which must agree on
// every result and message, on the calls of host functions, in order, and on
// the variables after each line. Any difference traps.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "eval/road.h"
#include "expreval/session.h"
#include "session/session.h"

namespace {

// Bounds that keep each input fast: lines past them are not evaluated. The
// same limit on values on both roads, so that texts that double a value
// (zurp.=zurp) fail early, and must fail alike.
constexpr size_t kMaxLines = 64;
constexpr size_t kMaxLineLength = 2048;
constexpr size_t kMaxValueSize = 16 * 1024;

constexpr std::pair<const char*, const char*> kVariables[] = {
    {"x", "7.5"},        {"y", "-12"},    {"n", "007"},
    {"rate", "2.50"},    {"w", "-5"},     {"big", "1.2345678901235e+014"},
    {"l", "{1,2}"},      {"ll", "{l,x}"}, {"s", "\"ab\""},
    {"q", "\"x\\\"y\""}, {"e", "1e5"},
};

struct OnRoad {
    explicit OnRoad(expreval::Road road) : session(expreval::Session::Console()) {
        expreval::Limits limits;
        limits.maxValueSize = kMaxValueSize;
        session.SetLimits(limits);
        expreval::SetRoad(session, road);
        // Names that mutated lines meet defined, with values of every kind:
        // most names a fuzzer writes would otherwise only fail.
        for (const auto& [name, value] : kVariables)
            session.SetVariable(name, value);
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
    }

    std::string Answer(const std::string& line) {
        try {
            return session.Evaluate(line);
        } catch (const expreval::Exception& failure) {
            return "failure: " + failure.message;
        }
    }

    expreval::Session session;
    std::vector<std::string> calls;
};

void Require(bool same) {
    if (!same)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OnRoad reference(expreval::Road::kReference);
    OnRoad fast(expreval::Road::kFast);
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
        Require(fast.Answer(line) == reference.Answer(line));
        Require(fast.calls == reference.calls);
        fast.calls.clear();
        reference.calls.clear();
        Require(fast.session.Variables() == reference.session.Variables());
    }
    return 0;
}
