#pragma once

#include <span>
#include <string>

#include "common/TerminalSink.h"

namespace karvola {

class CommandDispatcher;

// The terminal calculators. Each takes the argument texts as typed (the tokens
// after the command word), evaluates them with the numeric evaluator, writes its
// lines to the sink and throws std::logic_error with the text the user sees.
// Lines written before an error stay on the screen.

// cr_res2 odds1 odds2 [stake]: resultant odds of two exclusive outcomes and the split stake.
void CombineTwoOdds(std::span<const std::string> arguments, TerminalSink& sink);
// cr_res3 odds1 odds2 odds3 [stake].
void CombineThreeOdds(std::span<const std::string> arguments, TerminalSink& sink);
// testb events odds target edge: binomial probabilities of winning at least the target.
void TestBinomial(std::span<const std::string> arguments, TerminalSink& sink, char decimalSeparator);

// Attaches cr_res2, cr_res3 and testb to the dispatcher.
void RegisterOddsCalculators(CommandDispatcher& dispatcher);

}  // namespace karvola
