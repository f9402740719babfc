#include "analysis/WvectorSearch.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <initializer_list>

namespace karvola {

namespace {

// The grid's hundredths and its offsets are computed in extended precision
// and rounded to float once, the way the grid has always been built.
constexpr long double kHundredth = static_cast<long double>(0.01);
constexpr long double kOffset = 0.0001f;

// The runs-test tables: row = the smaller count, column = the larger one
// (both from 1); -1 where no bound is defined.
constexpr int kRunsRows = 29;
constexpr int kRunsColumns = 30;
using RunsTable = std::array<std::array<int, kRunsColumns>, kRunsRows>;

struct RunsRow {
    int row;
    int firstColumn;
    std::initializer_list<int> values;
};

constexpr RunsTable makeRunsTable(std::initializer_list<RunsRow> rows) {
    RunsTable table{};
    for (auto& line : table) line.fill(-1);
    for (const RunsRow& row : rows) {
        int column = row.firstColumn;
        for (const int value : row.values) table[row.row - 1][column++ - 1] = value;
    }
    return table;
}

// A chunk is suspicious when it has at least 2 and at most this many runs.
constexpr RunsTable kLower = makeRunsTable({
    {6, 7, {3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}},
    {7, 8, {4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8}},
    {8, 9, {5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8}},
    {9, 10, {5, 6, 6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9, 9, 9}},
    {10, 11, {6, 7, 7, 7, 7, 8, 8, 8, 8, 9, 9, 9, 9, 9, 10, 10, 10, 10, 10, 10}},
    {11, 12, {7, 7, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11}},
    {12, 13, {8, 8, 8, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 11, 12, 12, 12}},
    {13, 14, {9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 12, 13, 13}},
    {14, 15, {9, 10, 10, 10, 11, 11, 11, 12, 12, 12, 12, 13, 13, 13, 13, 13}},
    {15, 16, {10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14}},
    {16, 17, {11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 14, 15, 15}},
    {17, 18, {12, 12, 13, 13, 13, 14, 14, 14, 14, 15, 15, 15, 16}},
    {18, 19, {13, 13, 13, 14, 14, 14, 15, 15, 15, 16, 16, 16}},
    {19, 20, {13, 14, 14, 15, 15, 15, 16, 16, 16, 17, 17}},
    {20, 21, {14, 15, 15, 15, 16, 16, 17, 17, 17, 17}},
    {21, 22, {15, 16, 16, 16, 17, 17, 17, 18, 18}},
    {22, 23, {16, 16, 17, 17, 18, 18, 18, 19}},
    {23, 24, {17, 17, 18, 18, 18, 19, 19}},
    {24, 25, {18, 18, 19, 19, 19, 20}},
    {25, 26, {19, 19, 19, 20, 20}},
    {26, 27, {19, 20, 20, 21}},
    {27, 28, {20, 21, 21}},
    {28, 29, {21, 22}},
    {29, 30, {22}},
});

// A chunk is suspicious when it has at least this many runs.
constexpr RunsTable kUpper = makeRunsTable({
    {6, 7, {12, 12, 13, 13, 13}},
    {7, 8, {13, 14, 14, 14, 14, 15, 15, 15}},
    {8, 9, {14, 15, 15, 16, 16, 16, 16, 17, 17, 17, 17, 17}},
    {9, 10, {16, 16, 16, 17, 17, 18, 18, 18, 18, 18, 18, 19, 19, 19, 19, 19}},
    {10, 11, {17, 17, 18, 18, 18, 19, 19, 19, 20, 20, 20, 20, 20, 20, 20, 21, 21, 21, 21, 21}},
    {11, 12, {18, 19, 19, 19, 20, 20, 20, 21, 21, 21, 22, 22, 22, 22, 22, 22, 22, 22, 22}},
    {12, 13, {19, 20, 20, 21, 21, 21, 22, 22, 22, 22, 23, 23, 23, 23, 24, 24, 24, 24}},
    {13, 14, {20, 21, 21, 22, 22, 23, 23, 23, 24, 24, 24, 24, 24, 25, 25, 25, 25}},
    {14, 15, {22, 22, 23, 23, 23, 24, 24, 24, 25, 25, 25, 26, 26, 26, 26, 26}},
    {15, 16, {23, 23, 24, 24, 25, 25, 25, 26, 26, 26, 27, 27, 27, 27, 28}},
    {16, 17, {24, 25, 25, 25, 26, 26, 27, 27, 27, 28, 28, 28, 28, 29}},
    {17, 18, {25, 26, 26, 27, 27, 27, 28, 28, 29, 29, 29, 29, 30}},
    {18, 19, {26, 27, 27, 28, 28, 29, 29, 29, 30, 30, 30, 31}},
    {19, 20, {27, 28, 29, 29, 29, 30, 30, 31, 31, 31, 32}},
    {20, 21, {29, 29, 30, 30, 31, 31, 31, 32, 32, 32}},
    {21, 22, {30, 30, 31, 31, 32, 32, 33, 33, 33}},
    {22, 23, {31, 31, 32, 32, 33, 33, 34, 34}},
    {23, 24, {32, 33, 33, 34, 34, 35, 35}},
    {24, 25, {33, 34, 34, 35, 35, 36}},
    {25, 26, {34, 35, 35, 36, 36}},
    {26, 27, {36, 36, 37, 37}},
    {27, 28, {37, 37, 38}},
    {28, 29, {38, 38}},
    {29, 30, {39}},
});

constexpr std::size_t kChunkLength = 36;

int lookUp(const RunsTable& table, int wins, int losses) {
    int row = 0;
    int column = 0;
    if (wins < losses) {
        row = wins;
        column = losses;
    } else {
        row = losses;
        column = wins;
    }
    if (row < 1 || row > kRunsRows || column < 1 || column > kRunsColumns) return -1;
    return table[row - 1][column - 1];
}

}  // namespace

int RunsLowerBound(int wins, int losses) {
    return lookUp(kLower, wins, losses);
}

int RunsUpperBound(int wins, int losses) {
    return lookUp(kUpper, wins, losses);
}

wvector GridCandidate(int c, int i, int j) {
    return wvector{static_cast<float>(i * kHundredth - kOffset), static_cast<float>(j * kHundredth + kOffset),
                   static_cast<float>(c * kHundredth - kOffset)};
}

// Of HI - LO, not of the number of records; formed in extended precision, kept as a double.
double BetThreshold(const SearchInput& input) {
    return static_cast<double>(static_cast<long double>(input.bndPercent) * kHundredth * (input.hi - input.lo));
}

bool ExceedsSpan(const wvector& candidate, double maximalSpan) {
    return 1.0L / candidate.kmin - 1.0L / candidate.kMax > static_cast<long double>(maximalSpan);
}

float CandidateScore(std::uint32_t bets, float averageYield) {
    if (bets <= 100) return 0.0f;
    return static_cast<float>((75.0L * averageYield + 1.0L) * (bets * kHundredth));
}

bool RunsTestPasses(std::string_view sequence) {
    int tested = 0;
    int suspicious = 0;
    for (std::size_t start = 0; start < sequence.size(); start += kChunkLength) {
        const std::string_view chunk = sequence.substr(start, kChunkLength);
        int wins = 0;
        int runs = 1;
        for (std::size_t k = 0; k < chunk.size(); ++k) {
            if (chunk[k] == '1') ++wins;
            if (k > 0 && chunk[k] != chunk[k - 1]) ++runs;
        }
        const int losses = static_cast<int>(chunk.size()) - wins;
        const int lower = RunsLowerBound(wins, losses);
        const int upper = RunsUpperBound(wins, losses);
        if (lower == -1 || upper == -1) continue;
        ++tested;
        if ((runs >= 2 && runs <= lower) || runs >= upper) ++suspicious;
    }
    if (tested == 0 || suspicious == tested) return false;
    if (suspicious == 0) return true;

    const long double s = suspicious;
    const long double t = tested;
    double z = 0.0;
    if (tested < 100) {
        z = static_cast<double>(
            (2.0L * std::asin(std::sqrt(s / t)) - 2.0L * std::asin(std::sqrt(static_cast<long double>(0.05)))) *
            std::sqrt(t));
    } else {
        const long double share = static_cast<long double>(0.05);
        z = static_cast<double>((s - share * t) / std::sqrt(share * t * static_cast<long double>(0.95)));
    }
    return z < 1.96;
}

bool HalvesTestPasses(std::string_view sequence) {
    const std::size_t n = sequence.size();
    const std::size_t m = n / 2;
    const std::size_t k = n - m;
    // An empty first half has no share of wins (0 / 0): the test cannot pass.
    if (m == 0) return false;
    std::size_t a = 0;
    std::size_t b = 0;
    for (std::size_t position = 0; position < n; ++position) {
        if (sequence[position] != '1') continue;
        if (position < m) {
            ++a;
        } else {
            ++b;
        }
    }
    const auto c = static_cast<double>(static_cast<long double>(m) * k / (m + k));
    const auto d = static_cast<double>(static_cast<long double>(a) / m);
    const auto e = static_cast<double>(static_cast<long double>(b) / k);
    long double f = 0.0L;
    if (k < 100) {
        f = c * (2.0L * std::asin(std::sqrt(static_cast<long double>(d))) -
                 2.0L * std::asin(std::sqrt(static_cast<long double>(e))));
    } else {
        const auto g = static_cast<double>(static_cast<long double>(a + b) / n);
        const long double denominator = std::sqrt(g * (1.0L - g) / c);
        if (denominator == 0.0L) return false;
        f = (d - static_cast<long double>(e)) / denominator;
    }
    return f < static_cast<long double>(2.58) && f > static_cast<long double>(-2.58);
}

}  // namespace karvola
