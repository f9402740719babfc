#include "validation/WalkForward.h"

#include <algorithm>
#include <stdexcept>

#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"
#include "common/ProgressThrottle.h"

namespace karvola {

namespace {

// Calls onBet(record, odds, won) for every bet of the rule, in domain order.
template <typename OnBet>
void forEachBet(const wvector& rule, std::span<const basic_record_t> records, OnBet&& onBet) {
    for (const basic_record_t& record : records) {
        const WvectorOutcome outcome = DecideWvector(rule, record.odds1, record.odds0, record.odds2);
        if (outcome == OUTCOME_NONE) continue;
        onBet(record, OddsOf(record, outcome), record.result == static_cast<char>('0' + outcome));
    }
}

// The records at domain positions first..last of a range that starts at LO.
std::span<const basic_record_t> positions(std::span<const basic_record_t> range, int lo, int first, int last) {
    return range.subspan(static_cast<std::size_t>(first - lo), static_cast<std::size_t>(last - first + 1));
}

// Maps one fold's search progress onto the whole run, weighted by training size.
class FoldProgress final : public SearchObserver {
public:
    FoldProgress(WalkForwardObserver& observer, long long done, long long size, long long total)
        : m_done(done),
          m_size(size),
          m_total(total),
          m_throttle([&observer](int percent) { observer.progressChanged(percent); }) {}

    void progressChanged(int percent) override {
        m_throttle.update(static_cast<int>((m_done * 100 + m_size * percent) / m_total));
    }

private:
    long long m_done;
    long long m_size;
    long long m_total;
    ProgressThrottle m_throttle;
};

// A bankroll staked with a fixed fraction per fold, as sim stakes it.
class KellyBankroll {
public:
    explicit KellyBankroll(std::vector<ChartPoint>& points) : m_points(points) {}

    void setFraction(float okf) { m_fraction = std::clamp(okf, 0.0f, 1.0f); }

    void settle(const basic_record_t& match, float odds, bool won) {
        const float stake = m_fraction * m_bankroll;
        m_bankroll -= stake;
        if (won) {
            m_bankroll = static_cast<float>(static_cast<long double>(m_bankroll) +
                                            static_cast<long double>(odds) * static_cast<long double>(stake));
        }
        m_points.push_back(ChartPoint{m_bankroll, match.date, won});
    }

private:
    std::vector<ChartPoint>& m_points;
    float m_fraction = 0.0f;
    float m_bankroll = 1.0f;
};

}  // namespace

std::vector<FoldPlan> PlanFolds(int lo, int hi, int folds, std::optional<int> train) {
    if (folds < 1) throw std::logic_error("the number of folds must be at least 1");
    if (train && *train < 1) throw std::logic_error("the training window must hold at least 1 match");
    if (lo == 0 || hi == 0 || lo > hi) throw std::logic_error("the research domain range LO..HI is empty");
    const long long count = static_cast<long long>(hi) - lo + 1;
    const long long blocks = static_cast<long long>(folds) + 1;
    if (count < blocks) {
        throw std::logic_error(std::to_string(folds) + " folds need at least " + std::to_string(blocks) +
                               " matches in LO..HI, which holds " + std::to_string(count));
    }
    const auto blockStart = [&](long long block) { return lo + static_cast<int>(block * count / blocks); };

    std::vector<FoldPlan> plans;
    for (long long block = 1; block < blocks; ++block) {
        FoldPlan plan;
        plan.testFirst = blockStart(block);
        plan.testLast = blockStart(block + 1) - 1;
        plan.trainLast = plan.testFirst - 1;
        plan.trainFirst = train ? std::max(lo, plan.testFirst - *train) : lo;
        plans.push_back(plan);
    }
    return plans;
}

std::optional<WalkForwardResult> RunWalkForward(const WalkForwardInput& input, std::atomic<bool>& breakRequested,
                                                WalkForwardObserver& observer, unsigned threads) {
    long long total = 0;
    for (const FoldPlan& plan : input.folds) total += plan.trainLast - plan.trainFirst + 1;

    WalkForwardResult result;
    long long done = 0;
    for (const FoldPlan& plan : input.folds) {
        observer.foldStarted(static_cast<int>(result.folds.size()) + 1, static_cast<int>(input.folds.size()));
        const long long size = plan.trainLast - plan.trainFirst + 1;
        // The search sees only the training matches, with their own LO and HI for
        // the BND% threshold, exactly as opt on that range would.
        const SearchInput search{positions(input.range, input.lo, plan.trainFirst, plan.trainLast), plan.trainFirst,
                                 plan.trainLast, input.bndPercent, input.maximalSpan};
        FoldProgress progress(observer, done, size, std::max(total, 1LL));
        SearchOutcome outcome = FastWvectorSearch(search, breakRequested, progress, threads);
        if (!outcome.completed) return std::nullopt;
        done += size;

        FoldResult fold;
        fold.plan = plan;
        fold.vector = outcome.best;
        fold.inSample = std::move(outcome.statistics);
        EvaluateWvector(fold.vector, positions(input.range, input.lo, plan.testFirst, plan.testLast), fold.outOfSample);
        result.folds.push_back(std::move(fold));
    }

    {
        StatisticsAccumulator pooled(result.pooledInSample);
        for (const FoldResult& fold : result.folds) {
            forEachBet(fold.vector, positions(input.range, input.lo, fold.plan.trainFirst, fold.plan.trainLast),
                       [&](const basic_record_t&, float odds, bool won) { pooled.settle(odds, won); });
        }
        pooled.finish(KellyCap::None);
    }
    {
        StatisticsAccumulator pooled(result.pooledOutOfSample);
        KellyBankroll bankroll(result.outOfSampleBankroll);
        for (const FoldResult& fold : result.folds) {
            bankroll.setFraction(fold.inSample.okf);
            forEachBet(fold.vector, positions(input.range, input.lo, fold.plan.testFirst, fold.plan.testLast),
                       [&](const basic_record_t& match, float odds, bool won) {
                           pooled.settle(odds, won);
                           result.outOfSampleSequence.push_back(won ? '1' : '0');
                           bankroll.settle(match, odds, won);
                       });
        }
        pooled.finish(KellyCap::None);
    }
    return result;
}

}  // namespace karvola
