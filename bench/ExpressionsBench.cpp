#include <benchmark/benchmark.h>

#include "expressions/NumericExpression.h"
#include "expressions/PredictExpression.h"

namespace {

// Every number argument of every command passes through the evaluator, and a
// prediction expression is evaluated once per match of the research domain.
void BM_EvaluateNumericExpression(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(karvola::EvaluateNumericExpression("2*SIN(0.5)^2+1,5/(3-1)"));
    }
}
BENCHMARK(BM_EvaluateNumericExpression);

void BM_PredictExpressionPerMatch(benchmark::State& state) {
    karvola::PredictExpression expression("ODDS1<ODDS2&&ODDS1>=1.5?BET1:ODDS0>3.2?BET0:BET2");
    for (auto _ : state) {
        benchmark::DoNotOptimize(expression.evaluate(1.85f, 3.4f, 4.5f));
    }
}
BENCHMARK(BM_PredictExpressionPerMatch);

}  // namespace
