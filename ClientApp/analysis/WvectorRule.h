#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "analysis/statistics_t.h"
#include "common/wvector.h"
#include "database/basic_record_t.h"

namespace karvola {

// The outcome a wvector backs: the result character's digit, or no bet.
enum WvectorOutcome : std::uint8_t { OUTCOME_DRAW = 0, OUTCOME_HOME = 1, OUTCOME_AWAY = 2, OUTCOME_NONE = 3 };

// Among the outcomes whose odds lie in [kmin, kMax], the favourite if it is unique,
// unless the match's overall favourite is priced below CRZ.
WvectorOutcome DecideWvector(const wvector& rule, float odds1, float odds0, float odds2);

// The odds of the backed outcome.
float OddsOf(const basic_record_t& record, WvectorOutcome outcome);

// Evaluates the rule over the range into the statistics (reset first).
void EvaluateWvector(const wvector& rule, std::span<const basic_record_t> range, statistics_t& statistics);

// '1' for every won bet and '0' for every lost one, in range order.
std::string WvectorWinLossSequence(const wvector& rule, std::span<const basic_record_t> range);

}  // namespace karvola
