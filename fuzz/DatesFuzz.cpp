#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "FuzzSupport.h"
#include "config/DateTimeManager.h"

using namespace karvola;

// A date as drange takes it: DD/MM/YYYY, else "Error : Incorrect date format"
// from the reading or from the conversion to Unix time. A date that gets that
// far, written out and read again, is the same date and the same Unix time.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DateTimeManager date;
    std::int32_t unixTime = 0;
    try {
        date.SetFromText(fuzz::TextOf(data, size));
        unixTime = date.ToUnixTime();
    } catch (const std::logic_error&) {
        return 0;
    }
    // Years below 1000 are written without leading zeros, as the base's dates
    // are, and do not read back; the base's own dates all have four digits.
    if (date.FormatDate().size() != 10) return 0;
    DateTimeManager again;
    again.SetFromText(date.FormatDate());
    KARVOLA_FUZZ_EXPECT(again.FormatDate() == date.FormatDate());
    KARVOLA_FUZZ_EXPECT(again.ToUnixTime() == unixTime);
    return 0;
}
