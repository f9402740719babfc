#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/TerminalSink.h"

namespace karvola::cli {

struct StakesCommandReports {
    // The window's message boxes, for the texts the betting manager shows in them.
    std::function<void(std::string_view caption, std::string_view text)> messageBox;
    // A wrong use of the command itself.
    std::function<void(const std::string&)> diagnostic;
};

// ":stakes CB R1 R2 ODDS...": Tools > Betting Manager's Start on a grid of these
// odds. One line per bet, its odds as typed and its stake, then the total and
// the total as a percentage of CB.
void PrintStakes(std::string_view arguments, karvola::TerminalSink& sink, const StakesCommandReports& reports);

}  // namespace karvola::cli
