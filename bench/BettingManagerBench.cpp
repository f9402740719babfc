// The betting manager's Start on grids of 8, 12, 50 and 200 bets, from the
// texts of the edits and the grid to the texts written back; the plain
// enumeration of every order beside it, to show what it would cost; and
// karvola-cli's :stakes with 200 odds, as the meta-command handles it.
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "StakesCommand.h"
#include "tools/BettingManager.h"
#include "tools/BettingManagerInput.h"

namespace {

using namespace karvola;

// Home-win odds of the sample base's first Premier League round.
constexpr std::array<const char*, 10> kRealOdds{"1.58", "1.91", "2.5", "6.5",  "3.9",
                                                "2.43", "2.38", "4.0", "1.27", "1.86"};

std::vector<std::string> Odds(std::size_t count) {
    std::vector<std::string> odds;
    for (std::size_t i = 0; i < count; ++i) odds.emplace_back(kRealOdds[i % kRealOdds.size()]);
    return odds;
}

class NullSink final : public TerminalSink {
public:
    void appendLine(std::string_view line) override { benchmark::DoNotOptimize(line.data()); }
    void clearScreen() override {}
};

void BM_Start(benchmark::State& state) {
    const auto texts = Odds(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const auto parameters = ReadBettingManagerParameters("1000,0", "0,07", "0,30");
        std::vector<float> odds;
        for (const auto& text : texts) odds.push_back(ReadCourse(text));
        benchmark::DoNotOptimize(ComputeStakes(odds, parameters));
    }
}
BENCHMARK(BM_Start)->Arg(8)->Arg(12)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

// What visiting all n! orders costs: a tenfold step from one bet more.
void BM_EveryOrderEnumerated(benchmark::State& state) {
    const BettingManagerParameters parameters;
    std::vector<event_t> events;
    for (const auto& text : Odds(static_cast<std::size_t>(state.range(0)))) {
        const float odds = *ReadBettingNumber(text);
        events.push_back({.odds = odds, .stake = 0.0L, .fraction = *KellyFraction(odds, parameters), .row = 0});
    }
    for (auto _ : state) {
        AverageOverEveryOrder(events, parameters.capital);
        benchmark::DoNotOptimize(events.data());
    }
}
BENCHMARK(BM_EveryOrderEnumerated)->Arg(8)->Arg(9)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_StakesMetaCommand(benchmark::State& state) {
    std::string arguments = "1000,0 0,07 0,30";
    for (const auto& text : Odds(static_cast<std::size_t>(state.range(0)))) arguments += " " + text;
    NullSink sink;
    const cli::StakesCommandReports reports{.messageBox = [](std::string_view, std::string_view) {},
                                            .diagnostic = [](const std::string&) {}};
    for (auto _ : state) cli::PrintStakes(arguments, sink, reports);
}
BENCHMARK(BM_StakesMetaCommand)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
