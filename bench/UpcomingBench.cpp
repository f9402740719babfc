// The upcoming matches of a large reply: 5,000 events priced by 10 bookmakers
// each, from the Base64 payload to the listed rows, as a command handles them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/WvectorRule.h"
#include "common/Base64.h"
#include "common/NumberTexts.h"
#include "upcoming/UpcomingListing.h"
#include "upcoming/UpcomingMatchDBMS.h"

namespace {

using namespace karvola;

constexpr int kEvents = 5000;
constexpr int kBookmakers = 10;
constexpr std::uint32_t kNow = 1'700'000'000;

std::string BookmakerName(int b) {
    return "Bookmaker" + std::to_string(b);
}

// An event's odds for one outcome: its own level, each bookmaker a little apart.
std::string OddsText(int event, int outcome, int bookmaker) {
    const int hundredths = 120 + (event * 7919 + outcome * 104729) % 500 + bookmaker;
    return std::to_string(hundredths / 100) + "." + std::to_string(hundredths % 100 / 10) +
           std::to_string(hundredths % 10);
}

std::string Document() {
    std::string document = "<VERSION>100</VERSION>\r\n";
    for (int e = 0; e < kEvents; ++e) {
        document += "<SPORT_EVENT><TIMESTAMP>" + std::to_string(kNow + 3600 + e * 60) + "</TIMESTAMP><CATEGORY>" +
                    "Country " + std::to_string(e % 5) + ", League</CATEGORY><TEAMS>Home " + std::to_string(e) +
                    " - Away " + std::to_string(e) + "</TEAMS><SPORTSBOOK>\r\n";
        for (int b = 0; b < kBookmakers; ++b) {
            document += "<SB_NAME>" + BookmakerName(b) + "</SB_NAME><ODDS1>" + OddsText(e, 1, b) + "</ODDS1><ODDS0>" +
                        OddsText(e, 0, b) + "</ODDS0><ODDS2>" + OddsText(e, 2, b) + "</ODDS2>\r\n";
        }
        document += "</SPORTSBOOK></SPORT_EVENT>\r\n";
    }
    return document;
}

}  // namespace

int main() {
    const std::string payload = EncodeBase64Url(Document());
    UpcomingDomainFilter filter;
    filter.restrictionMemo = "100% domain\r\nAND\r\nODDS1>1.2\r\nAND\r\nODDS2<9";
    filter.categories = {"Country 0, League", "Country 1, League", "Country 2, League", "Country 3, League",
                         "Country 4, League"};
    for (int b = 0; b < kBookmakers; ++b) filter.bookmakers.push_back(BookmakerName(b));
    filter.localNow = kNow;
    const wvector rule{1.5f, 3.5f, 1.2f};

    std::vector<double> milliseconds;
    std::size_t listed = 0;
    for (int run = 0; run < 15; ++run) {
        const auto start = std::chrono::steady_clock::now();
        UpcomingMatchDBMS model;
        model.ReadDocument(DecodeBase64Url(payload));
        model.RebuildResearchDomain(filter);
        std::vector<UpcomingDecisionEntry> decisions;
        const auto& domain = model.researchDomain();
        for (std::size_t i = 0; i < domain.size(); ++i) {
            const auto odds = [](const std::string& text) { return NarrowToFloat(ReadStrtodDouble(text)); };
            const auto outcome =
                DecideWvector(rule, odds(domain[i].m_odds1), odds(domain[i].m_odds0), odds(domain[i].m_odds2));
            if (outcome != OUTCOME_NONE) decisions.push_back({i, UpcomingDecision::Bet1});
        }
        UpcomingListing listing;
        listing.fill(std::move(decisions), model);
        listed = listing.rows().size();
        milliseconds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("upcoming: %d events x %d bookmakers (%zu bytes of payload), %zu listed\n", kEvents, kBookmakers,
                payload.size(), listed);
    std::printf("  decode + read + domain + decisions + rows: median %.1f ms, best %.1f ms (target 100 ms)\n",
                milliseconds[milliseconds.size() / 2], milliseconds.front());
    return 0;
}
