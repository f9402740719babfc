#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "config/MatchConfig.h"
#include "upcoming/UpcomingMatchDBMS.h"
#include "web/HttpClient.h"
#include "web/ServiceHost.h"

namespace karvola {

// Asks the user for the identity key when none is configured: the window's
// key dialog stores the key it accepts in the configuration.
class IdentityKeyPrompt {
public:
    virtual ~IdentityKeyPrompt() = default;
    // True when the user gave a key (now in the configuration), false when cancelled.
    virtual bool askForKey(MatchConfig& config) = 0;
};

// The prompt of a front end without dialogs: always cancelled.
class NoIdentityKeyPrompt final : public IdentityKeyPrompt {
public:
    bool askForKey(MatchConfig&) override { return false; }
};

// The download of the upcoming matches from the web service, in the three
// steps a window needs to keep painting while the service answers: begin and
// finish on the command's thread, transfer on any thread.
class UpcomingExchange final {
public:
    static constexpr std::uint32_t kThrottleSeconds = 600;
    static constexpr const char* kRequestFileName = "f.rqt";
    static constexpr const char* kPath = "/download_upcomings_service.php";

    // The POST to send: the request file holds its body.
    struct Request {
        std::string url;
        std::filesystem::path requestFile;
    };
    // The reply body, or nothing when the transport failed.
    using Reply = std::optional<std::string>;

    UpcomingExchange(TerminalSink& sink, MatchConfig& config, const Clock& clock, FileSystem& files,
                     std::filesystem::path applicationDirectory, ServiceHost host);

    // Decides without the network (true: the last download is recent enough;
    // false: no key, or the request file could not be written, which leaves the
    // old one as it was) or writes the request file and names what to send.
    [[nodiscard]] std::variant<bool, Request> begin(IdentityKeyPrompt& prompt);
    // The POST itself: only the HTTP client and the request file are touched.
    [[nodiscard]] static Reply transfer(HttpClient& http, const Request& request);
    // Checks the reply and reads its document into the model. True when the
    // model holds the new matches. Throws the document reader's errors.
    bool finish(const Request& request, const Reply& reply, UpcomingMatchDBMS& model);

    // Local time in seconds since 1970, as the throttle and the domain count it.
    [[nodiscard]] std::uint32_t localNow() const;

private:
    TerminalSink& m_sink;
    MatchConfig& m_config;
    const Clock& m_clock;
    FileSystem& m_files;
    std::filesystem::path m_applicationDirectory;
    ServiceHost m_host;
    std::uint32_t m_lastDownloadTime = 0;
};

// The status and the payload sections of a reply, found by plain search;
// nothing when a tag is missing. The payload also needs the additional-information section.
[[nodiscard]] std::optional<std::string> ReplyStatus(std::string_view body);
[[nodiscard]] std::optional<std::string> ReplyPayload(std::string_view body);

}  // namespace karvola
