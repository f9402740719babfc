#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "tools/AdvertTicker.h"

using namespace karvola;

// The body of /advert.txt: an advert with a text and its link, or none; the
// ticker shows a parsed advert and scrolls it out of the panel in bounded steps.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(fuzz::TextOf(data, size));
    const std::optional<Advert> advert = ParseAdvert(body);
    if (advert) {
        KARVOLA_FUZZ_EXPECT(!advert->text.empty());
        KARVOLA_FUZZ_EXPECT(body.find(advert->text) == 0);
    }
    AdvertTicker ticker;
    while (!ticker.tick()) {
    }
    const std::optional<Advert> shown = ticker.downloaded(body);
    KARVOLA_FUZZ_EXPECT(shown.has_value() == advert.has_value());
    if (!shown) return 0;
    const int labelWidth = static_cast<int>(shown->text.size()) * 7;
    for (int step = 0;; ++step) {
        KARVOLA_FUZZ_EXPECT(step <= (400 + labelWidth + AdvertTicker::kScrollMargin) / AdvertTicker::kScrollStep + 1);
        if (ticker.scroll(400, labelWidth).finished) break;
    }
    return 0;
}
