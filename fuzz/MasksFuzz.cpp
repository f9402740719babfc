#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "database/ResearchDomainBuilder.h"

using namespace karvola;

// "mask\ntext": the masks of struct and of the directory's reader against any
// text. A mask matches itself when it has no wildcard, and "*" matches all.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::SplitLines(fuzz::TextOf(data, size), 2);
    const bool matched = MaskMatch(parts[0], parts[1]);
    if (parts[0].find_first_of("*?#@") == std::string_view::npos) {
        KARVOLA_FUZZ_EXPECT(MaskMatch(parts[0], parts[0]));
        if (parts[0] == parts[1]) KARVOLA_FUZZ_EXPECT(matched);
    }
    KARVOLA_FUZZ_EXPECT(MaskMatch("*", parts[1]));
    return 0;
}
