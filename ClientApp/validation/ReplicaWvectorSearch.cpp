// The best score of opt's search for many sets of results on one range of odds.
//
// With CRZ and kmin fixed, every record either is never bet or backs the lowest
// of its odds at or above kmin, in every window whose kMax reaches those odds
// (FastWvectorSearch.cpp says more). Which of its sorted odds a record backs
// changes with kmin at its odds only, so each record backs one position over a
// run of kmin values, and it is eligible for every CRZ up to its lowest odds.
// A set of results decides only which of those bets are won.
//
// Phase one finds, for every (CRZ, kmin) block, an upper bound of the best
// score in it. A candidate's score is (75 x yield + 1) x bets / 100, which is
// 0.75 W - 0.74 N for N bets whose won odds sum to W, up to the rounding of the
// float sums. N and W of every candidate come from sums over the block's
// records, built as two-dimensional prefix sums over (kmin, kMax) of each
// record's one contribution per set, one CRZ after the other as records become
// eligible. The sums are exact in doubles: every odds value is a multiple of
// 2^-23 and the totals stay far below 2^30. The rounding of the float sums the
// evaluation makes is bounded (below), so the bound never falls under the
// score. Counts ride in lane 0 and up to seven sets of results in the others,
// so one pass over the prefix sums serves them all.
//
// Phase two takes each set's blocks by falling bound while a bound beats its
// best score so far, and judges each such block exactly as the plain search
// does: its bets settled in domain order in floats, every window's score, the
// runs and halves tests for the windows that beat the best, best first. The
// best score is the highest among the candidates that pass the filters and both
// tests, whatever the order they are met in, so it is the search's own, bit for
// bit.

#include "validation/ReplicaWvectorSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "analysis/WvectorRule.h"

namespace karvola {

namespace {

constexpr int kCrzCount = 32;      // CRZ = 1.05 ... 2.60
constexpr int kKminCount = 180;    // kmin = 1.05 ... 10.00
constexpr int kWindowCount = 177;  // kMax = 1.20 ... 10.00
constexpr std::size_t kLaneCount = ReplicaWvectorSearch::kLanes + 1;
constexpr std::uint8_t kNoWindow = kWindowCount;

int crzHundredths(int c) {
    return 105 + 5 * c;
}
int kminHundredths(int i) {
    return 105 + 5 * i;
}
int kMaxHundredths(int j) {
    return 120 + 5 * j;
}

// Lane 0: the number of bets; lane k: the won odds of set k.
struct alignas(64) Lanes {
    std::array<double, kLaneCount> v{};
};

// One record as the search reads it: its odds in ascending order, the outcome
// each stands for, the first window that bets on it when it is the backed one
// (none for odds tied with the next), the kmin indices over which it is the
// backed one, and the last CRZ index the record is eligible for (-1: none).
struct Prepared {
    std::array<float, 3> level{};
    std::array<char, 3> digit{};
    std::array<std::uint8_t, 3> window{kNoWindow, kNoWindow, kNoWindow};
    std::array<std::int16_t, 3> first{};
    std::array<std::int16_t, 3> last{};
    int lastCrz = -1;

    [[nodiscard]] bool bets(int position) const {
        return lastCrz >= 0 && window[position] != kNoWindow && first[position] <= last[position];
    }
    // The position backed at that kmin: how many odds lie below it (3: none).
    [[nodiscard]] int backedAt(float kmin) const {
        return static_cast<int>(level[0] < kmin) + static_cast<int>(level[1] < kmin) +
               static_cast<int>(level[2] < kmin);
    }
    [[nodiscard]] int positionOf(char result) const {
        for (int p = 0; p < 3; ++p) {
            if (digit[p] == result) return p;
        }
        return 3;
    }
};

// The bound of the best score among candidates whose true sums are at most W
// and N and whose 0.75 W - 0.74 N is at most s. The evaluation adds the bets in
// floats, two roundings per bet, each within 2^-24 of a partial sum no larger
// than max(W, N); the yield and the score are rounded once more each.
double scoreBound(double s, double wins, double bets) {
    const double sumError = 2.0 * bets * std::max(wins, bets) * 0x1p-24;
    return s + 0.75 * sumError + (std::abs(s) + 0.75 * (wins + bets + sumError)) * 0x1p-20;
}

bool enoughBets(double bets, double threshold) {
    // More than 100 (exactly 100 scores 0) and not below the threshold.
    return bets >= 101.0 && !(bets < threshold);
}

}  // namespace

struct ReplicaWvectorSearch::Tables {
    SearchInput input;
    // False when the odds leave the shared pass nothing to stand on (odds that
    // are no numbers, or sums too large to stay exact): each set then gets a
    // search of its own.
    bool shared = true;
    std::array<float, kKminCount> kmin{};
    std::array<float, kCrzCount> crz{};
    // Per kmin, the first window beyond the span (wider windows are skipped).
    std::array<int, kKminCount> spanEnd{};
    double threshold = 0.0;
    std::vector<Prepared> records;
    // Record indices, those eligible for the highest CRZ first: the records
    // eligible for CRZ c are the first eligibleCount[c] of them.
    std::vector<std::uint32_t> byCrz;
    std::array<std::size_t, kCrzCount + 1> eligibleCount{};
    std::array<std::size_t, kCrzCount + 1> blockStart{};  // blocks (c, i >= c), c by c
};

struct ReplicaWvectorSearch::Workspace::Buffers {
    std::vector<Lanes> differences;  // [kmin][window]: where contributions start and stop along kmin
    std::array<Lanes, kWindowCount> columns{};
    std::vector<Lanes> bounds;  // per block
    std::vector<std::pair<double, std::uint32_t>> blocks;
    // The bets of the block examined, in domain order: first window and payout.
    std::vector<std::uint8_t> betWindows;
    std::vector<float> betPayouts;
    std::vector<std::pair<float, int>> candidates;
    std::string sequence;
};

namespace {

using Tables = ReplicaWvectorSearch::Tables;

Prepared prepare(const basic_record_t& record, const Tables& tables, const std::array<float, kWindowCount>& kMax) {
    Prepared prepared;
    struct Outcome {
        float odds;
        char digit;
    };
    std::array<Outcome, 3> outcomes{{{record.odds1, '1'}, {record.odds0, '0'}, {record.odds2, '2'}}};
    std::sort(outcomes.begin(), outcomes.end(), [](const Outcome& x, const Outcome& y) { return x.odds < y.odds; });
    for (int p = 0; p < 3; ++p) {
        prepared.level[p] = outcomes[p].odds;
        prepared.digit[p] = outcomes[p].digit;
    }
    for (int p = 0; p < 3; ++p) {
        const bool tied = p < 2 && prepared.level[p] == prepared.level[p + 1];
        if (!tied) {
            for (int j = 0; j < kWindowCount; ++j) {
                if (prepared.level[p] <= kMax[j]) {
                    prepared.window[p] = static_cast<std::uint8_t>(j);
                    break;
                }
            }
        }
        prepared.first[p] = kKminCount;
        prepared.last[p] = -1;
        for (int i = 0; i < kKminCount; ++i) {
            if (prepared.backedAt(tables.kmin[i]) != p) continue;
            prepared.first[p] = static_cast<std::int16_t>(std::min<int>(prepared.first[p], i));
            prepared.last[p] = static_cast<std::int16_t>(i);
        }
    }
    for (int c = 0; c < kCrzCount; ++c) {
        if (prepared.level[0] >= tables.crz[c]) prepared.lastCrz = c;
    }
    return prepared;
}

// The records' contributions at one CRZ turned into each block's bound: the
// differences summed along kmin (the columns) and then along kMax (the run).
[[gnu::always_inline]] inline void scanCrzKernel(const Tables& tables, int c, const Lanes* __restrict differences,
                                                 Lanes* __restrict columns, Lanes* __restrict bounds) {
    for (int j = 0; j < kWindowCount; ++j) columns[j] = Lanes{};
    const double threshold = tables.threshold;
    for (int i = 0; i < kKminCount; ++i) {
        const Lanes* row = differences + static_cast<std::ptrdiff_t>(i) * kWindowCount;
        if (i < c) {
            for (int j = 0; j < kWindowCount; ++j) {
                for (std::size_t l = 0; l < kLaneCount; ++l) columns[j].v[l] += row[j].v[l];
            }
            continue;
        }
        Lanes run{};
        Lanes best;
        best.v.fill(-std::numeric_limits<double>::infinity());
        bool any = false;
        const int end = tables.spanEnd[i];
        for (int j = 0; j < end; ++j) {
            for (std::size_t l = 0; l < kLaneCount; ++l) {
                columns[j].v[l] += row[j].v[l];
                run.v[l] += columns[j].v[l];
            }
            if (!enoughBets(run.v[0], threshold)) continue;
            any = true;
            const double bets = run.v[0];
            for (std::size_t l = 0; l < kLaneCount; ++l) {
                const double s = 0.75 * run.v[l] - 0.74 * bets;
                best.v[l] = s > best.v[l] ? s : best.v[l];
            }
        }
        for (int j = end; j < kWindowCount; ++j) {
            for (std::size_t l = 0; l < kLaneCount; ++l) columns[j].v[l] += row[j].v[l];
        }
        Lanes& bound = bounds[tables.blockStart[c] + static_cast<std::size_t>(i - c)];
        for (std::size_t l = 0; l < kLaneCount; ++l) {
            // The largest window holds the most bets and wins: its sums bound every margin.
            bound.v[l] = any ? scoreBound(best.v[l], run.v[l], run.v[0]) : -std::numeric_limits<double>::infinity();
        }
    }
}

// The same loops compiled for wider vectors, chosen at run time as
// FastWvectorSearch chooses its own; the values are the same either way.
[[gnu::target("avx2")]] void scanCrzAvx2(const Tables& tables, int c, const Lanes* differences, Lanes* columns,
                                         Lanes* bounds) {
    scanCrzKernel(tables, c, differences, columns, bounds);
}

void scanCrzBaseline(const Tables& tables, int c, const Lanes* differences, Lanes* columns, Lanes* bounds) {
    scanCrzKernel(tables, c, differences, columns, bounds);
}

using ScanCrzFunction = void (*)(const Tables&, int, const Lanes*, Lanes*, Lanes*);

ScanCrzFunction chooseScanCrz() {
    return __builtin_cpu_supports("avx2") ? scanCrzAvx2 : scanCrzBaseline;
}

// The best score of one set of results, found with the blocks' bounds.
class SetSearch {
public:
    SetSearch(const Tables& tables, ReplicaWvectorSearch::Workspace::Buffers& workspace, const std::string& results,
              std::size_t lane)
        : m_tables(tables), m_workspace(workspace), m_results(results), m_lane(lane) {}

    float run() {
        auto& blocks = m_workspace.blocks;
        blocks.clear();
        for (std::uint32_t b = 0; b < m_workspace.bounds.size(); ++b) {
            const double bound = m_workspace.bounds[b].v[m_lane];
            if (bound > 0.0) blocks.emplace_back(bound, b);
        }
        std::make_heap(blocks.begin(), blocks.end());
        while (!blocks.empty()) {
            std::pop_heap(blocks.begin(), blocks.end());
            const auto [bound, block] = blocks.back();
            blocks.pop_back();
            if (bound <= m_best) break;
            examineBlock(block);
        }
        return m_best;
    }

private:
    // The block as the plain search judges it: its bets settled in domain order
    // in floats, each window's score, and the randomness tests for the windows
    // that beat the best so far, best first.
    void examineBlock(std::uint32_t block) {
        int c = 0;
        while (m_tables.blockStart[c + 1] <= block) ++c;
        const int i = c + static_cast<int>(block - m_tables.blockStart[c]);
        const float kmin = m_tables.kmin[i];

        auto& windows = m_workspace.betWindows;
        auto& payouts = m_workspace.betPayouts;
        windows.clear();
        payouts.clear();
        std::array<std::uint32_t, kWindowCount> counts{};
        for (std::size_t r = 0; r < m_tables.records.size(); ++r) {
            const Prepared& record = m_tables.records[r];
            if (record.lastCrz < c) continue;
            const int position = record.backedAt(kmin);
            if (position == 3 || record.window[position] == kNoWindow) continue;
            windows.push_back(record.window[position]);
            payouts.push_back(record.digit[position] == m_results[r] ? record.level[position] : 0.0f);
            ++counts[record.window[position]];
        }

        // The windows within the span with enough bets: from `first` to `end`.
        const int end = m_tables.spanEnd[i];
        std::array<std::uint32_t, kWindowCount> bets{};
        std::uint32_t running = 0;
        int first = end;
        for (int j = 0; j < end; ++j) {
            running += counts[j];
            bets[j] = running;
            if (first == end && enoughBets(running, m_tables.threshold)) first = j;
        }
        if (first == end) return;

        // -1 and then +payout, two roundings per bet as a settled bet has.
        std::array<float, kWindowCount> sums{};
        for (std::size_t b = 0; b < windows.size(); ++b) {
            const float payout = payouts[b];
            for (int j = std::max<int>(windows[b], first); j < end; ++j) sums[j] = (sums[j] - 1.0f) + payout;
        }

        auto& candidates = m_workspace.candidates;
        candidates.clear();
        for (int j = first; j < end; ++j) {
            const auto yield = static_cast<float>(static_cast<long double>(sums[j]) / bets[j]);
            if (yield <= 0.0f) continue;
            const float score = CandidateScore(bets[j], yield);
            if (score > m_best) candidates.emplace_back(score, j);
        }
        std::sort(candidates.begin(), candidates.end(), std::greater<>());
        for (const auto& [score, j] : candidates) {
            if (passesTests(j)) {
                m_best = score;
                return;
            }
        }
    }

    // The window's win/loss sequence from the block's bets: a won bet pays its
    // odds, which are at least kmin and so never 0.
    bool passesTests(int window) {
        std::string& sequence = m_workspace.sequence;
        sequence.clear();
        for (std::size_t b = 0; b < m_workspace.betWindows.size(); ++b) {
            if (m_workspace.betWindows[b] <= window) sequence.push_back(m_workspace.betPayouts[b] != 0.0f ? '1' : '0');
        }
        return RunsTestPasses(sequence) && HalvesTestPasses(sequence);
    }

    const Tables& m_tables;
    ReplicaWvectorSearch::Workspace::Buffers& m_workspace;
    const std::string& m_results;
    std::size_t m_lane;
    float m_best = 0.0f;
};

// Without the shared pass: the search itself, once per set.
float searchAlone(const SearchInput& input, const std::string& results) {
    std::vector<basic_record_t> records(input.range.begin(), input.range.end());
    for (std::size_t r = 0; r < records.size(); ++r) records[r].result = results[r];
    SearchInput own = input;
    own.range = records;
    std::atomic<bool> never{false};
    SearchObserver quiet;
    const SearchOutcome outcome = FastWvectorSearch(own, never, quiet, 1);
    if (outcome.statistics.total_bets == 0) return 0.0f;
    return CandidateScore(outcome.statistics.total_bets, outcome.statistics.average_yield);
}

}  // namespace

ReplicaWvectorSearch::ReplicaWvectorSearch(const SearchInput& input) {
    auto tables = std::make_unique<Tables>();
    tables->input = input;
    tables->threshold = BetThreshold(input);
    std::array<float, kWindowCount> kMax{};
    for (int j = 0; j < kWindowCount; ++j) kMax[j] = GridCandidate(105, 105, kMaxHundredths(j)).kMax;
    for (int c = 0; c < kCrzCount; ++c) tables->crz[c] = GridCandidate(crzHundredths(c), 105, 120).CRZ;
    for (int i = 0; i < kKminCount; ++i) {
        tables->kmin[i] = GridCandidate(105, kminHundredths(i), 120).kmin;
        // Wider windows have wider spans: the first one beyond it ends the row.
        int end = 0;
        while (end < kWindowCount &&
               !ExceedsSpan(GridCandidate(105, kminHundredths(i), kMaxHundredths(end)), input.maximalSpan)) {
            ++end;
        }
        tables->spanEnd[i] = end;
    }
    for (int c = 0; c < kCrzCount; ++c) {
        tables->blockStart[c + 1] = tables->blockStart[c] + static_cast<std::size_t>(kKminCount - c);
    }

    double oddsTotal = 0.0;
    tables->records.reserve(input.range.size());
    for (const basic_record_t& record : input.range) {
        if (!std::isfinite(record.odds1) || !std::isfinite(record.odds0) || !std::isfinite(record.odds2)) {
            tables->shared = false;
        }
        tables->records.push_back(prepare(record, *tables, kMax));
        oddsTotal += std::abs(static_cast<double>(tables->records.back().level[2])) + 1.0;
    }
    // Sums of multiples of 2^-23 are exact in doubles below 2^30.
    if (!(oddsTotal < 0x1p29)) tables->shared = false;

    for (std::uint32_t r = 0; r < tables->records.size(); ++r) tables->byCrz.push_back(r);
    std::stable_sort(tables->byCrz.begin(), tables->byCrz.end(), [&](std::uint32_t a, std::uint32_t b) {
        return tables->records[a].lastCrz > tables->records[b].lastCrz;
    });
    for (int c = 0; c < kCrzCount; ++c) {
        tables->eligibleCount[c] =
            static_cast<std::size_t>(std::count_if(tables->records.begin(), tables->records.end(),
                                                   [c](const Prepared& record) { return record.lastCrz >= c; }));
    }
    m_tables = std::move(tables);
}

ReplicaWvectorSearch::~ReplicaWvectorSearch() = default;

ReplicaWvectorSearch::Workspace::Workspace(const ReplicaWvectorSearch& search)
    : m_buffers(std::make_unique<Buffers>()) {
    const Tables& tables = *search.m_tables;
    if (!tables.shared) return;
    m_buffers->differences.resize(static_cast<std::size_t>(kKminCount) * kWindowCount);
    m_buffers->bounds.resize(tables.blockStart[kCrzCount]);
    m_buffers->betWindows.reserve(tables.records.size());
    m_buffers->betPayouts.reserve(tables.records.size());
}

ReplicaWvectorSearch::Workspace::~Workspace() = default;

void ReplicaWvectorSearch::bestScores(std::span<const std::string> results, std::span<float> scores,
                                      Workspace& own) const {
    const Tables& tables = *m_tables;
    Workspace::Buffers& workspace = own.buffers();
    const std::size_t sets = std::min({results.size(), scores.size(), kLanes});
    if (!tables.shared) {
        for (std::size_t s = 0; s < sets; ++s) scores[s] = searchAlone(tables.input, results[s]);
        return;
    }

    // The contributions of a record go in as it becomes eligible, CRZ by CRZ
    // from the highest; a bet's count in lane 0, a won bet's odds in its set's lane.
    std::fill(workspace.differences.begin(), workspace.differences.end(), Lanes{});
    const auto add = [&workspace](const Prepared& record, int position, std::size_t lane, double value) {
        const std::size_t window = record.window[position];
        workspace.differences[static_cast<std::size_t>(record.first[position]) * kWindowCount + window].v[lane] +=
            value;
        if (record.last[position] + 1 < kKminCount) {
            workspace.differences[static_cast<std::size_t>(record.last[position] + 1) * kWindowCount + window]
                .v[lane] -= value;
        }
    };
    static const ScanCrzFunction scanCrz = chooseScanCrz();
    for (int c = kCrzCount - 1; c >= 0; --c) {
        for (std::size_t k = tables.eligibleCount[c + 1]; k < tables.eligibleCount[c]; ++k) {
            const std::uint32_t r = tables.byCrz[k];
            const Prepared& record = tables.records[r];
            for (int position = 0; position < 3; ++position) {
                if (record.bets(position)) add(record, position, 0, 1.0);
            }
            for (std::size_t s = 0; s < sets; ++s) {
                const int position = record.positionOf(results[s][r]);
                if (position < 3 && record.bets(position)) add(record, position, s + 1, record.level[position]);
            }
        }
        scanCrz(tables, c, workspace.differences.data(), workspace.columns.data(), workspace.bounds.data());
    }

    for (std::size_t s = 0; s < sets; ++s) scores[s] = SetSearch(tables, workspace, results[s], s + 1).run();
}

}  // namespace karvola
