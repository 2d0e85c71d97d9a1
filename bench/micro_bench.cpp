// Microbenchmarks of the routines that every evaluation goes through.

#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "expreval/expreval.h"
#include "ops/ops.h"
#include "symbols/tables.h"
#include "value/value.h"

namespace expreval {
namespace {

void BuildTablesOnce() {
    static const bool built = [] {
        BuildSymbolTables();
        SetVariable("x", "12.5");
        return true;
    }();
    benchmark::DoNotOptimize(built);
}

// Results as the arithmetic operators produce them: whole, short and long
// fractions, and both exponent forms.
constexpr std::array kNumbers = {7.0,  3.75, 1.0 / 3.0, 1234.5678, -42.0,
                                 0.05, 1e15, 2.0 / 3.0, 99.99,     -0.001};

void BM_NumberToText(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(kNumbers[i]));
        i = (i + 1) % kNumbers.size();
    }
}
BENCHMARK(BM_NumberToText);

const std::array<std::string, 8> kTexts = {"7",   "3.75",    "0.33333333333333", "1234.5678",
                                           "-42", "5.e-002", "1.e+015",          "886"};

void BM_TextToNumber(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextToNumber(kTexts[i]));
        i = (i + 1) % kTexts.size();
    }
}
BENCHMARK(BM_TextToNumber);

// Short everyday lines, one per iteration in turn.
const std::array<std::string, 6> kLines = {"1+2*3", "7.5/2",         "(3+4)*2-1",
                                           "x*2+1", "3x-(x+2.25)%7", "946-(12*3.5)+8/3"};

void BM_Evaluate(benchmark::State& state) {
    BuildTablesOnce();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Evaluate(kLines[i]));
        i = (i + 1) % kLines.size();
    }
}
BENCHMARK(BM_Evaluate);

// {0,1,...,n-1}*3: reported per element.
void BM_ApplyToElements(benchmark::State& state) {
    BuildTablesOnce();
    const auto size = static_cast<int>(state.range(0));
    std::string list = "{";
    for (int i = 0; i < size; ++i) {
        list += std::to_string(i % 1000) + (i + 1 < size ? "," : "}");
    }
    const std::string three = "3";
    Context context;
    const ThreadContext thread(context, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ApplyToElements(context, Arithmetic<kMultiplication>, list, three, false));
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BM_ApplyToElements)->Arg(1000)->Arg(100000);

}  // namespace
}  // namespace expreval

BENCHMARK_MAIN();
