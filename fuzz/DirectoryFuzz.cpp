#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "common/Base64.h"
#include "directory/AffiliateLinks.h"
#include "directory/DataAnalyser.h"

using namespace karvola;

namespace {

// "prefix\nsuffix\ncontent\ntext": the analyser's masks and the text it reads
// value by value. Each value found moves the reading on, so the values of a
// text are fewer than its characters.
void AnalyseWithMasks(std::string_view input, bool strict) {
    const auto parts = fuzz::SplitLines(input, 4);
    DataAnalyser<DirectDataAcquisitor> analyser;
    analyser.SetContentMask(parts[2]);
    analyser.Acquire(parts[3]);
    analyser.SetPosition(0);
    try {
        // A mask that begins or ends with "*" is refused with a message.
        analyser.SetPrefixMask(parts[0]);
        analyser.SetSuffixMask(parts[1]);
        for (std::size_t values = 0;; ++values) {
            KARVOLA_FUZZ_EXPECT(values <= parts[3].size());
            if (analyser.Analyse(strict).empty()) break;
        }
    } catch (const std::logic_error& error) {
        KARVOLA_FUZZ_EXPECT(*error.what() != '\0');
    }
}

}  // namespace

// The bookmaker directory as the service sends it and as links.b64 caches it,
// read by the data analyser: any text gives a directory (what was read before a
// fault), and the analyser itself ends on any masks and text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::TextOf(data, size);
    const AffiliateLinks links = AffiliateLinks::parse(text);
    static_cast<void>(links.GetLink("B365") + links.GetState("B365") + links.GetRating("B365"));
    static_cast<void>(AffiliateLinks::parse(DecodeBase64Url(text)));
    AnalyseWithMasks(text, true);
    AnalyseWithMasks(text, false);
    return 0;
}
