#pragma once

#include <string>
#include <vector>

#include "analysis/Simulation.h"

namespace karvola {

// sch: the bankroll chart as an SVG picture, on a linear or logarithmic scale.
std::string RenderBankrollChartSvg(const std::vector<ChartPoint>& points, bool logarithmic);

}  // namespace karvola
