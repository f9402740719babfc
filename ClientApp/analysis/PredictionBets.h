#pragma once

#include <cstdint>
#include <initializer_list>

#include "database/basic_record_t.h"

namespace karvola {

// The odds that pay the same whichever of the backed outcomes occurs:
// 1 / (sum of 1/o), computed in extended precision, rounded to float.
float CombinedOdds(std::initializer_list<float> odds);

// The same, rounded to two decimals through "%.2f" and the numeric evaluator:
// the odds at which a combined bet is settled.
float SettledCombinedOdds(std::initializer_list<float> odds);

// One bet of a prediction code (PredictExpression::BET1 ... BET102) on a match.
struct PredictionBet {
    float odds = 0.0f;       // the odds it is settled at
    float shownOdds = 0.0f;  // the odds shown as "Odds for Decision" (combined bets unrounded)
    bool won = false;
    const char* decision = "";  // "bet1" ... "bet102"
};

// The bet for a prediction code other than NO_BET.
PredictionBet PredictionBetFor(std::uint8_t prediction, const basic_record_t& record);

}  // namespace karvola
