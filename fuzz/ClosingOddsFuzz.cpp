#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "database/ClosingOdds.h"

using namespace karvola;

// A closing odds file as the later join reads it: refused with a line of the
// text, or read into records that write back to a text reading the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ClosingOddsReading reading = ReadClosingOdds(fuzz::TextOf(data, size));
    if (!reading.ok()) {
        KARVOLA_FUZZ_EXPECT(reading.errorLine >= 1 && reading.records.empty());
        return 0;
    }
    KARVOLA_FUZZ_EXPECT(ReadClosingOdds(FormatClosingOdds(reading.records)).records == reading.records);
    const ClosingOddsIndex index(reading.records);
    for (const ClosingOddsRecord& record : reading.records) {
        KARVOLA_FUZZ_EXPECT(index.find(record.kickOff, record.homeTeam, record.awayTeam) != nullptr);
    }
    return 0;
}
