#include "StakesCommand.h"

#include <sstream>
#include <vector>

#include "tools/BettingManager.h"
#include "tools/BettingManagerInput.h"

namespace karvola::cli {

void PrintStakes(std::string_view arguments, karvola::TerminalSink& sink, const StakesCommandReports& reports) {
    std::vector<std::string> words;
    std::istringstream stream{std::string(arguments)};
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.size() < 3) {
        reports.diagnostic(":stakes needs CB R1 R2 and the odds of the bets");
        return;
    }
    const std::vector<std::string> courses(words.begin() + 3, words.end());
    karvola::BettingManagerResult result;
    try {
        const auto parameters = karvola::ReadBettingManagerParameters(words[0], words[1], words[2]);
        std::vector<float> odds;
        odds.reserve(courses.size());
        for (const std::string& course : courses) odds.push_back(karvola::ReadCourse(course));
        result = karvola::ComputeStakes(odds, parameters);
    } catch (const karvola::BettingManagerInputError& error) {
        reports.messageBox("Error", error.what());
        return;
    }
    for (std::size_t i = 0; i < courses.size(); ++i) sink.appendLine(courses[i] + " | " + result.stakes[i]);
    sink.appendLine("Total stake: " + result.total);
    sink.appendLine("CB% = " + result.capitalPercent);
}

}  // namespace karvola::cli
