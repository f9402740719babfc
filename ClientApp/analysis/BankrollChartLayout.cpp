#include "analysis/BankrollChartLayout.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace karvola {

namespace {

ChartRange LinearRange(const std::vector<ChartPoint>& points) {
    bool any = false;
    ChartRange range;
    for (const ChartPoint& point : points) {
        const double value = point.bankroll;
        if (!std::isfinite(value)) continue;
        range.low = any ? std::min(range.low, value) : value;
        range.high = any ? std::max(range.high, value) : value;
        any = true;
    }
    if (!any) return {0.0, 1.0};
    if (range.low == range.high) {
        const double margin = range.low == 0.0 ? 1.0 : std::fabs(range.low) * 0.1;
        range.low -= margin;
        range.high += margin;
    }
    return range;
}

// A logarithm has nothing to say about the bankrolls that are not positive.
ChartRange LogarithmicRange(const std::vector<ChartPoint>& points) {
    bool any = false;
    double lowExponent = 0.0;
    double highExponent = 0.0;
    for (const ChartPoint& point : points) {
        const double value = point.bankroll;
        if (!std::isfinite(value) || value <= 0.0) continue;
        const double exponent = std::log10(value);
        lowExponent = any ? std::min(lowExponent, exponent) : exponent;
        highExponent = any ? std::max(highExponent, exponent) : exponent;
        any = true;
    }
    lowExponent = any ? std::floor(lowExponent) : 0.0;
    highExponent = any ? std::max(std::ceil(highExponent), lowExponent + 1.0) : 1.0;
    return {std::pow(10.0, lowExponent), std::pow(10.0, highExponent)};
}

std::vector<BankrollChartLayout::DateLabel> DateLabels(const std::vector<ChartPoint>& points) {
    std::vector<BankrollChartLayout::DateLabel> labels;
    const std::size_t count = points.size();
    const std::size_t wanted = std::min(count, BankrollChartLayout::kMaxDateLabels);
    std::set<std::string> shown;
    for (std::size_t k = 0; k < wanted; ++k) {
        // Rounded to the nearest point, so that the last label stands under the last point.
        const std::size_t index = wanted == 1 ? 0 : (k * (count - 1) + (wanted - 1) / 2) / (wanted - 1);
        const std::string& text = points[index].label;
        if (text.empty() || !shown.insert(text).second) continue;
        labels.push_back({index, text});
    }
    return labels;
}

}  // namespace

BankrollChartLayout::BankrollChartLayout(const std::vector<ChartPoint>& points, bool logarithmic)
    : m_logarithmic(logarithmic),
      m_range(logarithmic ? LogarithmicRange(points) : LinearRange(points)),
      m_dateLabels(DateLabels(points)) {}

double BankrollChartLayout::Plotted(float bankroll, const ChartRange& range, bool logarithmic) {
    const double value = bankroll;
    if (std::isnan(value) || (logarithmic && value <= 0.0)) return range.low;
    return std::clamp(value, range.low, range.high);
}

}  // namespace karvola
