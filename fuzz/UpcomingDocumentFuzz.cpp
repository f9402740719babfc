#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "upcoming/UpcomingMatchDBMS.h"

using namespace karvola;

// The document of upcoming matches, already decoded: read by plain search for
// its tags, then cut into the upcoming research domain by the categories it
// names, the sample's bookmakers and a restriction on the odds. Only the
// reader's two errors and a restriction the odds cannot satisfy without an error may end it, and every record of the
// domain is an event that was read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    UpcomingMatchDBMS model;
    try {
        model.ReadDocument(fuzz::TextOf(data, size));
    } catch (const std::logic_error& error) {
        const std::string message = error.what();
        KARVOLA_FUZZ_EXPECT(message == "Incorrect XML buffer" || message == "Incorrect version of the protocol");
    }
    UpcomingDomainFilter filter;
    filter.restrictionMemo = "100% domain AND ODDS1>=1.2 AND ODDS2<ODDS0*3";
    for (const SportEvent& event : model.events()) filter.categories.push_back(event.m_category);
    filter.bookmakers = {"B365", "BW", "IW", "PS", "VC", "WH"};
    filter.timeZoneBias = 2;
    filter.localNow = 1'682'942'400;
    try {
        model.RebuildResearchDomain(filter);
    } catch (const std::logic_error& error) {
        KARVOLA_FUZZ_EXPECT(std::string(error.what()).starts_with("Upcoming matches restriction error : "));
        return 0;
    }
    KARVOLA_FUZZ_EXPECT(model.researchDomain().size() <= model.events().size());
    return 0;
}
