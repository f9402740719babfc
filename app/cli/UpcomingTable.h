#pragma once

#include <string>
#include <vector>

#include "common/TerminalSink.h"
#include "upcoming/UpcomingCommands.h"

namespace karvola::cli {

// The list of upcoming matches as text: a table with the window's columns
// (without its empty Stake column), then each row's details, so a script sees
// what the window shows. Nothing when no row is listed.
std::vector<std::string> FormatUpcomingTable(const UpcomingListing& listing, const UpcomingMatchDBMS& model);

// The upcoming matches window of the headless terminal: the listing is printed
// where the window would open.
class UpcomingPrinter final : public UpcomingMatchesView {
public:
    UpcomingPrinter(TerminalSink& sink, const UpcomingCommands& commands) : m_sink(sink), m_commands(commands) {}

    void closeAndClear() override {}
    void showListing() override;

private:
    TerminalSink& m_sink;
    const UpcomingCommands& m_commands;
};

}  // namespace karvola::cli
