#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "common/Base64.h"
#include "config/MatchConfig.h"
#include "upcoming/UpcomingExchange.h"
#include "upcoming/UpcomingMatchDBMS.h"

using namespace karvola;

// A reply of the web service to the upcoming matches' POST, as the exchange
// takes it apart: the status and payload sections found by plain search, the
// URL-safe Base64 of the payload, and the document in it. A reply gives the new
// matches, a terminal line, or the document reader's error; Base64 decoded,
// encoded and decoded again gives the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply(fuzz::TextOf(data, size));
    const std::string decoded = DecodeBase64Url(reply);
    KARVOLA_FUZZ_EXPECT(DecodeBase64Url(EncodeBase64Url(decoded)) == decoded);

    fuzz::CountingSink sink;
    fuzz::MemoryFileSystem files;
    const fuzz::FixedClock clock;
    MatchConfig config("home", files, clock);
    UpcomingExchange exchange(sink, config, clock, files, "home", ServiceHost::defaultHost());
    UpcomingMatchDBMS model;
    try {
        exchange.finish(UpcomingExchange::Request{}, reply, model);
    } catch (const std::logic_error& error) {
        const std::string message = error.what();
        KARVOLA_FUZZ_EXPECT(message == "Incorrect XML buffer" || message == "Incorrect version of the protocol");
    }
    return 0;
}
