#include "analysis/WvectorRule.h"

namespace karvola {

namespace {

// The unique lower of two odds in range, or no bet when they are equal (or one
// is NaN, which no comparison favours).
WvectorOutcome lowerOf(float oddsA, WvectorOutcome a, float oddsB, WvectorOutcome b) {
    if (oddsA < oddsB) return a;
    if (oddsB < oddsA) return b;
    return OUTCOME_NONE;
}

}  // namespace

WvectorOutcome DecideWvector(const wvector& rule, float odds1, float odds0, float odds2) {
    float favourite = odds1;
    if (odds0 < favourite) favourite = odds0;
    if (odds2 < favourite) favourite = odds2;
    if (favourite < rule.CRZ) return OUTCOME_NONE;

    // Written as two comparisons that must both hold, so NaN odds are out of range.
    const bool in1 = odds1 >= rule.kmin && odds1 <= rule.kMax;
    const bool in0 = odds0 >= rule.kmin && odds0 <= rule.kMax;
    const bool in2 = odds2 >= rule.kmin && odds2 <= rule.kMax;

    if (in1 && in0 && in2) {
        if (odds1 < odds2 && odds1 < odds0) return OUTCOME_HOME;
        if (odds2 < odds1 && odds2 < odds0) return OUTCOME_AWAY;
        if (odds0 < odds1 && odds0 < odds2) return OUTCOME_DRAW;
        return OUTCOME_NONE;
    }
    if (in1 && in0) return lowerOf(odds1, OUTCOME_HOME, odds0, OUTCOME_DRAW);
    if (in1 && in2) return lowerOf(odds1, OUTCOME_HOME, odds2, OUTCOME_AWAY);
    if (in2 && in0) return lowerOf(odds2, OUTCOME_AWAY, odds0, OUTCOME_DRAW);
    if (in1) return OUTCOME_HOME;
    if (in0) return OUTCOME_DRAW;
    if (in2) return OUTCOME_AWAY;
    return OUTCOME_NONE;
}

float OddsOf(const basic_record_t& record, WvectorOutcome outcome) {
    switch (outcome) {
        case OUTCOME_HOME:
            return record.odds1;
        case OUTCOME_DRAW:
            return record.odds0;
        case OUTCOME_AWAY:
            return record.odds2;
        case OUTCOME_NONE:
            break;
    }
    return 0.0f;
}

namespace {

// The result character of a won bet on the outcome.
char digitOf(WvectorOutcome outcome) {
    return static_cast<char>('0' + outcome);
}

}  // namespace

void EvaluateWvector(const wvector& rule, std::span<const basic_record_t> range, statistics_t& statistics) {
    StatisticsAccumulator accumulator(statistics);
    for (const basic_record_t& record : range) {
        const WvectorOutcome outcome = DecideWvector(rule, record.odds1, record.odds0, record.odds2);
        if (outcome == OUTCOME_NONE) continue;
        accumulator.settle(OddsOf(record, outcome), record.result == digitOf(outcome));
    }
    accumulator.finish(KellyCap::None);
}

std::string WvectorWinLossSequence(const wvector& rule, std::span<const basic_record_t> range) {
    std::string sequence;
    for (const basic_record_t& record : range) {
        const WvectorOutcome outcome = DecideWvector(rule, record.odds1, record.odds0, record.odds2);
        if (outcome == OUTCOME_NONE) continue;
        sequence.push_back(record.result == digitOf(outcome) ? '1' : '0');
    }
    return sequence;
}

}  // namespace karvola
