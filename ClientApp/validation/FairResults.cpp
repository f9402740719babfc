#include "validation/FairResults.h"

#include <cmath>

namespace karvola {

namespace {

constexpr long double kScale = 9007199254740992.0L;  // 2^53

// SplitMix64: small, fast, and every seed gives a full-period stream.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t state) : m_state(state) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t m_state;
};

// A replica's own starting point: seed and replica mixed, so neighbouring
// replicas of one seed, or one replica of neighbouring seeds, share nothing.
std::uint64_t streamStart(std::uint64_t seed, std::uint64_t replica) {
    SplitMix64 seedMix(seed);
    SplitMix64 replicaMix(replica ^ 0x6A09E667F3BCC909ULL);
    return seedMix.next() ^ (replicaMix.next() * 0x9E3779B97F4A7C15ULL);
}

bool priced(float odds) {
    return std::isfinite(odds) && odds > 0.0f;
}

std::uint64_t scaled(long double probability) {
    return static_cast<std::uint64_t>(std::floor(probability * kScale));
}

}  // namespace

std::pair<long double, long double> FairResults::Probabilities(float odds1, float odds0, float odds2) {
    const long double inverse1 = 1.0L / odds1;
    const long double inverse0 = 1.0L / odds0;
    const long double sum = inverse1 + inverse0 + 1.0L / odds2;
    return {inverse1 / sum, inverse0 / sum};
}

FairResults::FairResults(std::span<const basic_record_t> range) {
    m_thresholds.reserve(range.size());
    for (const basic_record_t& record : range) {
        Thresholds thresholds;
        if (priced(record.odds1) && priced(record.odds0) && priced(record.odds2)) {
            const auto [home, draw] = Probabilities(record.odds1, record.odds0, record.odds2);
            thresholds.home = scaled(home);
            thresholds.homeOrDraw = scaled(home + draw);
        } else {
            thresholds.fixed = record.result;
        }
        m_thresholds.push_back(thresholds);
    }
}

void FairResults::draw(std::uint64_t seed, std::uint64_t replica, std::string& results) const {
    SplitMix64 stream(streamStart(seed, replica));
    results.resize(m_thresholds.size());
    for (std::size_t k = 0; k < m_thresholds.size(); ++k) {
        const Thresholds& thresholds = m_thresholds[k];
        // Drawn for every match, so that the others' draws never depend on one without odds.
        const std::uint64_t u = stream.next() >> 11;
        if (thresholds.fixed != 0) {
            results[k] = thresholds.fixed;
        } else {
            results[k] = u < thresholds.home ? '1' : u < thresholds.homeOrDraw ? '0' : '2';
        }
    }
}

}  // namespace karvola
