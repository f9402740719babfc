// The wvector grid search, organised around one fact: with CRZ and kmin fixed,
// every match's answer is fixed too. Either it is never bet, or it backs the
// unique lowest odds L among its outcomes priced at least kmin, and it does so
// in exactly the windows whose kMax reaches L (ties at L give no bet in any
// window). So one pass over the range per (CRZ, kmin) block finds every bet of
// the block's 177 kMax windows, and each window's yield sum can be built in the
// same float steps, in the same domain order, as the plain evaluation settles
// them: the result is bit for bit the one of evaluating each candidate alone.
//
// The winner is the first candidate in grid order with the highest score among
// those that pass the filters and both randomness tests; that is what the plain
// search keeps when it accepts only strictly better scores. Blocks are shared
// out to threads, each keeping its own first-best, and merged at the end.

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"
#include "common/ParallelWork.h"
#include "common/ProgressThrottle.h"

namespace karvola {

namespace {

constexpr int kWindowCount = 177;  // kMax = 1.20 ... 10.00
constexpr std::uint8_t kNoWindow = kWindowCount;

struct GridBlock {
    int c = 0;
    int i = 0;
};

std::vector<GridBlock> gridBlocks() {
    std::vector<GridBlock> blocks;
    for (int c = 105; c <= 260; c += 5) {
        for (int i = c; i <= 1000; i += 5) blocks.push_back(GridBlock{c, i});
    }
    return blocks;
}

int kminIndex(int i) {
    return (i - 105) / 5;
}
constexpr int kKminCount = (1000 - 105) / 5 + 1;

// The yield sums of the windows firstActive..lastActive, bet by bet in domain
// order: each bet settles into the windows from its first one on, -1 and then
// +payout, two float roundings as a settled bet has (+0 for a lost bet leaves a
// sum unchanged: a sum is never -0). Lanes of a vector are separate windows, so
// the width of the vectors changes nothing in the results.
[[gnu::always_inline]] inline void sumWindows(const std::uint8_t* __restrict windows, const float* __restrict payouts,
                                              std::size_t count, int firstActive, int lastActive,
                                              float* __restrict sums) {
    for (int j = firstActive; j <= lastActive; ++j) sums[j] = 0.0f;
    for (std::size_t b = 0; b < count; ++b) {
        const float payout = payouts[b];
        for (int j = std::max(static_cast<int>(windows[b]), firstActive); j <= lastActive; ++j) {
            sums[j] = (sums[j] - 1.0f) + payout;
        }
    }
}

// The same loop compiled for 8 lanes. Chosen at run time by a plain test rather
// than an ifunc, whose resolver runs before the sanitizers' run-times start.
[[gnu::target("avx2")]] void sumWindowsAvx2(const std::uint8_t* windows, const float* payouts, std::size_t count,
                                            int firstActive, int lastActive, float* sums) {
    sumWindows(windows, payouts, count, firstActive, lastActive, sums);
}

void sumWindowsBaseline(const std::uint8_t* windows, const float* payouts, std::size_t count, int firstActive,
                        int lastActive, float* sums) {
    sumWindows(windows, payouts, count, firstActive, lastActive, sums);
}

using SumWindowsFunction = void (*)(const std::uint8_t*, const float*, std::size_t, int, int, float*);

SumWindowsFunction chooseSumWindows() {
    return __builtin_cpu_supports("avx2") ? sumWindowsAvx2 : sumWindowsBaseline;
}

// One record as the search reads it: its odds in ascending order, and for
// each of them the bet the block makes when it is the lowest odds at or above
// kmin: the first window whose kMax reaches it (none when it ties with the next
// odds) and what the bet pays back (the odds when that outcome won, else 0).
// Position 3 stands for "no odds at or above kmin".
struct PreparedRecord {
    std::array<float, 3> level{};
    std::array<float, 4> payout{};
    std::array<std::uint8_t, 4> firstWindow{kNoWindow, kNoWindow, kNoWindow, kNoWindow};
    bool irregular = false;  // a NaN or infinite odds: decided by the rule itself
};

// Everything a search reads, computed once.
struct SearchTables {
    std::array<float, kWindowCount> kMax{};
    std::vector<GridBlock> blocks;
    // Whether the window (kmin index, kMax index) passes the span filter.
    std::vector<std::array<bool, kWindowCount>> withinSpan;
    std::vector<PreparedRecord> records;
    // For each CRZ of the grid, the records in domain order whose lowest odds
    // are not below it (and the irregular ones, which the rule decides).
    std::vector<std::vector<std::uint32_t>> eligible;
    double threshold = 0.0;
    SumWindowsFunction sumWindows = sumWindowsBaseline;
};

constexpr int kCrzCount = (260 - 105) / 5 + 1;
int crzIndex(int c) {
    return (c - 105) / 5;
}

std::uint8_t firstWindowFor(const std::array<float, kWindowCount>& kMax, float odds) {
    for (int j = 0; j < kWindowCount; ++j) {
        if (odds <= kMax[j]) return static_cast<std::uint8_t>(j);
    }
    return kNoWindow;
}

PreparedRecord prepare(const basic_record_t& record, const std::array<float, kWindowCount>& kMax) {
    PreparedRecord prepared;
    if (!std::isfinite(record.odds1) || !std::isfinite(record.odds0) || !std::isfinite(record.odds2)) {
        prepared.irregular = true;
        return prepared;
    }
    struct Outcome {
        float odds;
        char digit;
    };
    std::array<Outcome, 3> outcomes{{{record.odds1, '1'}, {record.odds0, '0'}, {record.odds2, '2'}}};
    std::sort(outcomes.begin(), outcomes.end(), [](const Outcome& x, const Outcome& y) { return x.odds < y.odds; });
    for (std::size_t k = 0; k < 3; ++k) {
        prepared.level[k] = outcomes[k].odds;
        // Equal lowest odds in range: no outcome is the unique favourite.
        const bool tied = k < 2 && outcomes[k].odds == outcomes[k + 1].odds;
        prepared.firstWindow[k] = tied ? kNoWindow : firstWindowFor(kMax, outcomes[k].odds);
        prepared.payout[k] = record.result == outcomes[k].digit ? outcomes[k].odds : 0.0f;
    }
    return prepared;
}

SearchTables buildTables(const SearchInput& input) {
    SearchTables tables;
    for (int j = 0; j < kWindowCount; ++j) tables.kMax[j] = GridCandidate(105, 105, 120 + 5 * j).kMax;
    tables.blocks = gridBlocks();
    tables.withinSpan.resize(kKminCount);
    for (int i = 105; i <= 1000; i += 5) {
        for (int j = 0; j < kWindowCount; ++j) {
            tables.withinSpan[kminIndex(i)][j] = !ExceedsSpan(GridCandidate(105, i, 120 + 5 * j), input.maximalSpan);
        }
    }
    tables.records.reserve(input.range.size());
    for (const basic_record_t& record : input.range) tables.records.push_back(prepare(record, tables.kMax));
    tables.eligible.resize(kCrzCount);
    for (int c = 105; c <= 260; c += 5) {
        const float crz = GridCandidate(c, c, 120).CRZ;
        std::vector<std::uint32_t>& eligible = tables.eligible[crzIndex(c)];
        for (std::size_t r = 0; r < tables.records.size(); ++r) {
            const PreparedRecord& record = tables.records[r];
            if (record.irregular || record.level[0] >= crz) eligible.push_back(static_cast<std::uint32_t>(r));
        }
    }
    tables.threshold = BetThreshold(input);
    tables.sumWindows = chooseSumWindows();
    return tables;
}

// The best candidate one thread has found: the first in grid order with its score.
struct LocalBest {
    float score = 0.0f;
    std::uint64_t position = std::numeric_limits<std::uint64_t>::max();
    wvector vector{0.0f, 0.0f, 0.0f};
    std::uint32_t bets = 0;
    float yield = 0.0f;
};

bool before(const LocalBest& a, const LocalBest& b) {
    return a.score > b.score || (a.score == b.score && a.position < b.position);
}

// State shared by the worker threads.
class SharedSearch {
public:
    SharedSearch(const SearchInput& input, const SearchTables& tables, std::atomic<bool>& breakRequested,
                 SearchObserver& observer)
        : m_input(input),
          m_tables(tables),
          m_observer(observer),
          m_blocks(tables.blocks.size(), 1, breakRequested),
          m_progress([&observer](int percent) { observer.progressChanged(percent); }) {}

    // The next block to search, or none when all are taken or a break stops the search.
    bool takeBlock(std::size_t& block) {
        WorkShare::Chunk chunk;
        if (!m_blocks.take(chunk)) return false;
        block = chunk.first;
        return true;
    }

    void blockDone() {
        const std::size_t done = m_blocksDone.fetch_add(1, std::memory_order_relaxed) + 1;
        m_progress.update(static_cast<int>(done * 100 / m_tables.blocks.size()));
    }

    // The highest score accepted by any thread so far: a candidate strictly
    // below it cannot win, wherever it lies in the grid.
    [[nodiscard]] float bestScore() const { return m_bestScore.load(std::memory_order_relaxed); }

    // Under the progress's lock: the observer gets one call at a time.
    void accepted(const LocalBest& candidate) {
        m_progress.exclusive([&] {
            if (!before(candidate, m_best)) return;
            m_best = candidate;
            m_bestScore.store(candidate.score, std::memory_order_relaxed);
            m_observer.bestChanged(candidate.vector);
        });
    }

    [[nodiscard]] bool stopped() const { return m_blocks.stopped(); }
    [[nodiscard]] const SearchInput& input() const { return m_input; }
    [[nodiscard]] const SearchTables& tables() const { return m_tables; }

private:
    const SearchInput& m_input;
    const SearchTables& m_tables;
    SearchObserver& m_observer;
    WorkShare m_blocks;
    std::atomic<std::size_t> m_blocksDone{0};
    ProgressThrottle m_progress;
    std::atomic<float> m_bestScore{0.0f};
    LocalBest m_best;  // guarded by m_progress's lock
};

// One worker: searches blocks until none is left, keeping its first-best.
// Aligned so that two workers' sums never share a cache line.
class alignas(64) BlockSearcher {
public:
    explicit BlockSearcher(SharedSearch& shared)
        : m_shared(shared), m_input(shared.input()), m_tables(shared.tables()) {
        m_betWindow.resize(m_tables.records.size());
        m_betPayout.resize(m_tables.records.size());
        m_sequence.reserve(m_tables.records.size());
    }

    void run() {
        std::size_t block = 0;
        while (m_shared.takeBlock(block)) {
            searchBlock(block);
            m_shared.blockDone();
        }
    }

    [[nodiscard]] const LocalBest& best() const { return m_best; }

private:
    // The block's bets in domain order. A record bets on the lowest of its odds
    // at or above kmin (the number of its sorted odds below kmin says which);
    // every record is written and only a bet advances the count.
    void collectBets(const wvector& rule, int c) {
        m_betCount = 0;
        m_counts.fill(0);
        const float kmin = rule.kmin;
        for (const std::uint32_t r : m_tables.eligible[crzIndex(c)]) {
            const PreparedRecord& record = m_tables.records[r];
            std::uint8_t window = kNoWindow;
            float payout = 0.0f;
            if (record.irregular) [[unlikely]] {
                decideIrregular(rule, m_input.range[r], window, payout);
            } else {
                const int backed = static_cast<int>(record.level[0] < kmin) + static_cast<int>(record.level[1] < kmin) +
                                   static_cast<int>(record.level[2] < kmin);
                window = record.firstWindow[backed];
                payout = record.payout[backed];
            }
            m_betWindow[m_betCount] = window;
            m_betPayout[m_betCount] = payout;
            m_betCount += window != kNoWindow ? 1 : 0;
            ++m_counts[window];
        }
    }

    // NaN and infinite odds: the rule's own answer with no upper bound gives
    // the backed outcome, which every window reaching its odds bets on.
    void decideIrregular(const wvector& rule, const basic_record_t& record, std::uint8_t& window, float& payout) {
        const wvector open{rule.kmin, std::numeric_limits<float>::infinity(), rule.CRZ};
        const WvectorOutcome outcome = DecideWvector(open, record.odds1, record.odds0, record.odds2);
        if (outcome == OUTCOME_NONE) return;
        const float odds = OddsOf(record, outcome);
        window = firstWindowFor(m_tables.kMax, odds);
        payout = record.result == static_cast<char>('0' + outcome) ? odds : 0.0f;
    }

    void searchBlock(std::size_t block) {
        const GridBlock grid = m_tables.blocks[block];
        const wvector rule = GridCandidate(grid.c, grid.i, 120);
        collectBets(rule, grid.c);

        // The windows that can pass: enough bets (the counts grow with kMax)
        // and within the span.
        const auto& withinSpan = m_tables.withinSpan[kminIndex(grid.i)];
        std::uint32_t running = 0;
        int firstActive = kWindowCount;
        int lastActive = -1;
        for (int j = 0; j < kWindowCount; ++j) {
            running += m_counts[j];
            m_bets[j] = running;
            m_active[j] = withinSpan[j] && running >= 100 && !(running < m_tables.threshold);
            if (m_active[j]) {
                firstActive = std::min(firstActive, j);
                lastActive = j;
            }
        }
        if (lastActive < 0) return;

        m_tables.sumWindows(m_betWindow.data(), m_betPayout.data(), m_betCount, firstActive, lastActive, m_sums.data());

        for (int j = firstActive; j <= lastActive; ++j) {
            if (!m_active[j]) continue;
            const std::uint32_t bets = m_bets[j];
            const auto yield = static_cast<float>(static_cast<long double>(m_sums[j]) / bets);
            if (yield <= 0.0f) continue;
            const float score = CandidateScore(bets, yield);
            if (!(score > m_best.score) || score < m_shared.bestScore()) continue;
            if (!passesTests(j)) continue;

            m_best.score = score;
            m_best.position = block * kWindowCount + static_cast<std::uint64_t>(j);
            m_best.vector = GridCandidate(grid.c, grid.i, 120 + 5 * j);
            m_best.bets = bets;
            m_best.yield = yield;
            m_shared.accepted(m_best);
        }
    }

    // The window's win/loss sequence from the block's bets; a won bet pays its
    // odds, which are at least kmin and so never 0.
    bool passesTests(int window) {
        m_sequence.clear();
        for (std::size_t b = 0; b < m_betCount; ++b) {
            if (m_betWindow[b] <= window) m_sequence.push_back(m_betPayout[b] != 0.0f ? '1' : '0');
        }
        return RunsTestPasses(m_sequence) && HalvesTestPasses(m_sequence);
    }

    SharedSearch& m_shared;
    const SearchInput& m_input;
    const SearchTables& m_tables;
    // The block's bets in domain order: first window and payout.
    std::vector<std::uint8_t> m_betWindow;
    std::vector<float> m_betPayout;
    std::size_t m_betCount = 0;
    std::array<std::uint32_t, kWindowCount + 1> m_counts{};
    std::array<std::uint32_t, kWindowCount> m_bets{};
    std::array<bool, kWindowCount> m_active{};
    std::array<float, kWindowCount> m_sums{};
    std::string m_sequence;
    LocalBest m_best;
};

}  // namespace

SearchOutcome FastWvectorSearch(const SearchInput& input, std::atomic<bool>& breakRequested, SearchObserver& observer,
                                unsigned threads) {
    const SearchTables tables = buildTables(input);
    SharedSearch shared(input, tables, breakRequested, observer);

    const unsigned workers = std::clamp(threads, 1U, static_cast<unsigned>(tables.blocks.size()));
    std::vector<BlockSearcher> searchers;
    searchers.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) searchers.emplace_back(shared);

    // A worker whose thread cannot be started keeps the empty best.
    RunOnThreads(workers, [&searchers](unsigned w) { searchers[w].run(); });

    if (shared.stopped()) return SearchOutcome{};

    LocalBest best;
    for (const BlockSearcher& searcher : searchers) {
        if (before(searcher.best(), best)) best = searcher.best();
    }

    SearchOutcome outcome;
    outcome.completed = true;
    outcome.best = best.vector;
    if (best.bets > 0) {
        EvaluateWvector(best.vector, input.range, outcome.statistics);
        assert(outcome.statistics.total_bets == best.bets && outcome.statistics.average_yield == best.yield);
    }
    if (outcome.statistics.total_bets == 0 || outcome.statistics.winning_bets == 0) {
        outcome.statistics.okf = 0.0f;
        outcome.statistics.bankroll_multiplier = 0.0f;
    }
    return outcome;
}

}  // namespace karvola
