#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/Simulation.h"
#include "common/TerminalSink.h"

namespace karvola {

// How hard a bankroll run was to live through. Positions are indices of the
// run's points (one per bet); a peak that is none is the start, the bankroll
// of 1 before the first bet.
struct RiskFigures {
    // A time under water: from a peak, every bet below it, up to the bet that
    // reached it again (recovered) or the last bet.
    struct Spell {
        std::optional<std::size_t> peak;
        std::size_t end = 0;
        std::size_t bets = 0;  // the bets below the peak
        bool recovered = false;
        std::optional<int> days;  // from the peak's date (the first bet's for the start) to the end's
    };

    std::size_t bets = 0;
    float finalMultiplier = 1.0f;
    // The deepest fall below an earlier peak, as a share of that peak; 0 when it never fell.
    double maximumDrawdown = 0.0;
    std::optional<std::size_t> drawdownPeak;
    std::size_t drawdownTrough = 0;
    std::size_t longestLosingRun = 0;
    std::size_t losingRunFirst = 0;
    std::optional<Spell> longestInBets;  // the first of the longest, by bets and by days
    std::optional<Spell> longestInDays;
};

RiskFigures MeasureRisk(std::span<const ChartPoint> points);

// Days from one DD/MM/YYYY date to another; nothing when either is no such date.
std::optional<int> DaysBetween(std::string_view from, std::string_view to);

// The figures in one short line, for the chart's title; empty without bets.
std::string RiskSummary(std::span<const ChartPoint> points);

// :risk: the figures of the last simulation's bankroll run, or why there are none.
void WriteRiskReport(TerminalSink& sink, std::span<const ChartPoint> points);

}  // namespace karvola
