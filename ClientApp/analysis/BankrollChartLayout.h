#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/Simulation.h"

namespace karvola {

// The span of bankrolls the vertical axis shows, in bankroll values on either scale.
struct ChartRange {
    double low = 0.0;
    double high = 1.0;
};

// What every drawing of the bankroll chart shares (the window's chart and the
// SVG picture of the headless terminal): the span of its vertical axis, where
// each bankroll is drawn, and which dates label the horizontal axis.
class BankrollChartLayout final {
public:
    static constexpr std::size_t kMaxDateLabels = 6;

    struct DateLabel {
        std::size_t index = 0;  // of the point it stands under
        std::string text;
    };

    BankrollChartLayout(const std::vector<ChartPoint>& points, bool logarithmic);

    [[nodiscard]] bool logarithmic() const { return m_logarithmic; }
    // Linear: the lowest to the highest finite bankroll, with a margin around a
    // single value. Logarithmic: whole decades around the positive finite ones
    // (1 to 10 when there are none). Infinite bankrolls, a float overflow, would
    // squeeze every other point into a line, so they never stretch the axis.
    [[nodiscard]] const ChartRange& range() const { return m_range; }
    // A handful of the points' dates spread evenly, the first and the last point
    // included; a date already shown is not repeated, an empty one not shown.
    [[nodiscard]] const std::vector<DateLabel>& dateLabels() const { return m_dateLabels; }

    // Where a bankroll is drawn on an axis spanning the range: values it cannot
    // show (infinities, and on the logarithmic scale zero and negative
    // bankrolls) sit at its nearer edge, NaN at the bottom, so the line stays
    // whole and the axis never meets a value it cannot map.
    [[nodiscard]] static double Plotted(float bankroll, const ChartRange& range, bool logarithmic);

private:
    bool m_logarithmic;
    ChartRange m_range;
    std::vector<DateLabel> m_dateLabels;
};

}  // namespace karvola
