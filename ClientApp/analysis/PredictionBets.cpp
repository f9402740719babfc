#include "analysis/PredictionBets.h"

#include "common/NumberTexts.h"
#include "expressions/NumericExpression.h"
#include "expressions/PredictExpression.h"

namespace karvola {

namespace {

// Odds rounded to two decimals as the settlement uses them: "%.2f", read back
// by the numeric evaluator.
float throughTwoDecimals(float odds) {
    return static_cast<float>(EvaluateNumericExpression(FormatTwoDecimals(odds)));
}

}  // namespace

float CombinedOdds(std::initializer_list<float> odds) {
    long double reciprocals = 0.0L;
    for (const float o : odds) reciprocals += 1.0L / static_cast<long double>(o);
    return static_cast<float>(1.0L / reciprocals);
}

float SettledCombinedOdds(std::initializer_list<float> odds) {
    return throughTwoDecimals(CombinedOdds(odds));
}

namespace {

PredictionBet singleBet(float odds, bool won, const char* decision) {
    return PredictionBet{odds, odds, won, decision};
}

// A combined bet is settled at its odds rounded to two decimals; the preview
// shows the unrounded value (with two decimals of its own).
PredictionBet combinedBet(std::initializer_list<float> odds, bool won, const char* decision) {
    const float combined = CombinedOdds(odds);
    return PredictionBet{throughTwoDecimals(combined), combined, won, decision};
}

}  // namespace

PredictionBet PredictionBetFor(std::uint8_t prediction, const basic_record_t& record) {
    const float o1 = record.odds1;
    const float o0 = record.odds0;
    const float o2 = record.odds2;
    const char r = record.result;
    switch (prediction) {
        case PredictExpression::BET1:
            return singleBet(o1, r == '1', "bet1");
        case PredictExpression::BET0:
            return singleBet(o0, r == '0', "bet0");
        case PredictExpression::BET2:
            return singleBet(o2, r == '2', "bet2");
        case PredictExpression::BET12:
            return combinedBet({o1, o2}, r == '1' || r == '2', "bet12");
        case PredictExpression::BET10:
            return combinedBet({o1, o0}, r == '1' || r == '0', "bet10");
        case PredictExpression::BET02:
            return combinedBet({o0, o2}, r == '0' || r == '2', "bet02");
        // The reciprocals are added in this order: draw, away, home.
        case PredictExpression::BET102:
            return combinedBet({o0, o2, o1}, true, "bet102");
        default:
            break;
    }
    return PredictionBet{};
}

}  // namespace karvola
