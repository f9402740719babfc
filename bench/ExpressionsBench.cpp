#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "expressions/NumericExpression.h"
#include "expressions/OddsCondition.h"
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

// A condition of 10,000 comparisons, read once and evaluated over 760 matches, as
// rsr and pe_result do over the sample base: the whole command's work.
std::string LongCondition() {
    std::string text;
    for (int i = 0; i < 10'000; ++i)
        text += (i == 0 ? "" : " && ") + std::string("ODDS1 > 1.") + std::to_string(i % 10);
    return text;
}

void BM_LongRestrictionOver760Matches(benchmark::State& state) {
    const std::string text = LongCondition();
    for (auto _ : state) {
        const karvola::OddsCondition condition(text, karvola::OddsCondition::Names::BeforeBlankRemoval);
        double kept = 0.0;
        for (int match = 0; match < 760; ++match) {
            const std::string odds1 = "1." + std::to_string(match % 100);
            kept += condition.evaluate({odds1, "3.4", "4.5"});
        }
        benchmark::DoNotOptimize(kept);
    }
}
BENCHMARK(BM_LongRestrictionOver760Matches)->Unit(benchmark::kMillisecond);

void BM_LongPredictionOver760Matches(benchmark::State& state) {
    const std::string text = LongCondition() + "?BET1";
    for (auto _ : state) {
        karvola::PredictExpression rule(text);
        int bets = 0;
        for (int match = 0; match < 760; ++match)
            bets += rule.evaluate(1.0f + static_cast<float>(match % 100) / 100.0f, 3.4f, 4.5f);
        benchmark::DoNotOptimize(bets);
    }
}
BENCHMARK(BM_LongPredictionOver760Matches)->Unit(benchmark::kMillisecond);

}  // namespace
