#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "common/wvector.h"
#include "database/basic_record_t.h"

namespace karvola {

// One row of the Bets Preview, as the window shows it.
struct BetsPreviewRow {
    std::string number;
    std::string date;
    std::string category;
    std::string teams;
    std::string odds1;
    std::string odds0;
    std::string odds2;
    std::string decision;      // "bet1" ... "bet102"
    std::string decisionOdds;  // "Odds for Decision"
    std::string stake;
    std::string result;    // "won" or "lost, won odds" + the result character
    std::string bankroll;  // "Current Bankroll"
};

inline constexpr const char* kBetsPreviewColumns[12] = {
    "No.", "Date",     "Category",          "Teams", "1",      "X",
    "2",   "Decision", "Odds for Decision", "Stake", "Result", "Current Bankroll"};

// One point of the bankroll chart: the bankroll after a bet, labelled with the match's date.
struct ChartPoint {
    float bankroll = 0.0f;
    std::string label;
    bool won = false;  // the bet's outcome, for the runs of losses
};

// What the last simulation left in the Bets Preview and the chart.
struct SimulationRecord {
    std::vector<BetsPreviewRow> rows;
    std::vector<ChartPoint> points;
};

// sim and pe_sim: the chart is emptied; with no range selected (LO or HI 0,
// given as nothing) the rows stay and nothing is written; otherwise the rows are
// replaced bet by bet and the line " Bankroll multiplier " + the final bankroll
// ends the run. pe_sim throws std::logic_error for errors other than a match's
// "Domain error"; what was filled before stays.
void RunWvectorSimulation(TerminalSink& sink, const wvector& rule, float fraction,
                          std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                          SimulationRecord& record);
void RunPredictionSimulation(TerminalSink& sink, const std::string& expression, float fraction,
                             std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                             SimulationRecord& record, const StopRequest& stop = StopRequest::Never());

}  // namespace karvola
