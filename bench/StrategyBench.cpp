#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/StrategyReports.h"
#include "analysis/WvectorRule.h"
#include "database/MatchDBMS.h"
#include "database/ResearchDomainBuilder.h"

namespace {

// The real europe5 data base: from KARVOLA_SHARED_DATA when set, else from the shared
// folder the build names.
std::filesystem::path europe5Path() {
    std::filesystem::path shared = KARVOLA_SHARED_DATA_DIR;
    if (const char* variable = std::getenv("KARVOLA_SHARED_DATA"); variable != nullptr && variable[0] != '\0') {
        shared = variable;
    }
    return shared / "database" / "europe5.txt";
}

// struct * over europe5: every settled match, in file order.
const karvola::ResearchDomain& europe5Domain() {
    static const karvola::ResearchDomain domain = [] {
        std::ifstream file(europe5Path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::vector<std::string> masks = {"*"};
        return karvola::BuildResearchDomainByMasks(karvola::ParseDataBaseText(text).records, masks).domain;
    }();
    return domain;
}

bool skipWithoutData(benchmark::State& state) {
    if (!europe5Domain().empty()) return false;
    state.SkipWithError(("no records in " + europe5Path().string()).c_str());
    return true;
}

// The report's lines cost nothing here; the evaluation is what is measured.
class NullSink final : public karvola::TerminalSink {
public:
    void appendLine(std::string_view line) override { benchmark::DoNotOptimize(line.data()); }
    void clearScreen() override {}
};

void reportMatchesPerSecond(benchmark::State& state) {
    const auto matches = static_cast<double>(europe5Domain().size());
    state.counters["matches"] = matches;
    state.counters["matches/s"] =
        benchmark::Counter(matches * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// result [1.5 2.5 1.3] with every report line shown (the sequence takes a second pass).
void BM_Result(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    NullSink sink;
    const karvola::ReportFormat format{karvola::DisplayOptions("111111111111"), '.'};
    const karvola::wvector rule = karvola::wvector::FromTypedBounds(1.5, 2.5, 1.3);
    for (auto _ : state) karvola::RunResult(sink, rule, europe5Domain(), format);
    reportMatchesPerSecond(state);
}
BENCHMARK(BM_Result)->Unit(benchmark::kMillisecond);

// The optimizer's inner step: one evaluation into a reused statistics object.
void BM_EvaluateWvector(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    const karvola::wvector rule = karvola::wvector::FromTypedBounds(1.5, 2.5, 1.3);
    karvola::statistics_t statistics;
    for (auto _ : state) {
        karvola::EvaluateWvector(rule, europe5Domain(), statistics);
        benchmark::DoNotOptimize(statistics.average_yield);
    }
    reportMatchesPerSecond(state);
}
BENCHMARK(BM_EvaluateWvector)->Unit(benchmark::kMillisecond);

// pe_result with a rule of three conditional parts, as the dispatcher passes it.
void BM_PeResultThreeParts(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    NullSink sink;
    const karvola::ReportFormat format{karvola::DisplayOptions("111111111111"), '.'};
    for (auto _ : state) {
        karvola::RunPeResult(sink, " ODDS1<1.8?BET1:ODDS2<2.2?BET2:ODDS0>3.5?BET0", europe5Domain(), format);
    }
    reportMatchesPerSecond(state);
}
BENCHMARK(BM_PeResultThreeParts)->Unit(benchmark::kMillisecond);

// Combined bets add a "%.2f" round trip through the evaluator per bet.
void BM_PeResultCombinedBets(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    NullSink sink;
    const karvola::ReportFormat format{karvola::DisplayOptions("111111111111"), '.'};
    for (auto _ : state) {
        karvola::RunPeResult(sink, " ODDS1<ODDS2?BET10:BET02", europe5Domain(), format);
    }
    reportMatchesPerSecond(state);
}
BENCHMARK(BM_PeResultCombinedBets)->Unit(benchmark::kMillisecond);

}  // namespace
