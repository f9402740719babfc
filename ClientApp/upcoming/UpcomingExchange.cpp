#include "upcoming/UpcomingExchange.h"

#include <system_error>

#include "common/Base64.h"
#include "config/DateTimeManager.h"

namespace karvola {

namespace {

constexpr std::string_view kInvalidData = "Error: Invalid data retrieved. Please try again later";
constexpr std::string_view kErrorStatus = "Error : ";

// The text between the first `open` from `from` and the next `close` after it.
std::optional<std::string_view> Section(std::string_view body, std::string_view open, std::string_view close,
                                        std::size_t from, std::size_t* end = nullptr) {
    const auto start = body.find(open, from);
    if (start == std::string_view::npos) return std::nullopt;
    const auto valueStart = start + open.size();
    const auto stop = body.find(close, valueStart);
    if (stop == std::string_view::npos) return std::nullopt;
    if (end != nullptr) *end = stop + close.size();
    return body.substr(valueStart, stop - valueStart);
}

}  // namespace

std::optional<std::string> ReplyStatus(std::string_view body) {
    const auto status = Section(body, "[MESSAGE]", "[/MESSAGE]", 0);
    if (!status) return std::nullopt;
    return std::string(*status);
}

std::optional<std::string> ReplyPayload(std::string_view body) {
    std::size_t afterInfo = 0;
    if (!Section(body, "[ADDITIONAL_INFO]", "[/ADDITIONAL_INFO]", 0, &afterInfo)) return std::nullopt;
    const auto payload = Section(body, "[DATA]", "[/DATA]", afterInfo);
    if (!payload) return std::nullopt;
    return std::string(*payload);
}

UpcomingExchange::UpcomingExchange(TerminalSink& sink, MatchConfig& config, const Clock& clock, FileSystem& files,
                                   std::filesystem::path applicationDirectory, ServiceHost host)
    : m_sink(sink),
      m_config(config),
      m_clock(clock),
      m_files(files),
      m_applicationDirectory(std::move(applicationDirectory)),
      m_host(std::move(host)) {}

std::uint32_t UpcomingExchange::localNow() const {
    DateTimeManager now;
    now.SetNow(m_clock);
    return static_cast<std::uint32_t>(now.ToUnixTime());
}

std::variant<bool, UpcomingExchange::Request> UpcomingExchange::begin(IdentityKeyPrompt& prompt) {
    // The service is asked at most once in ten minutes; meanwhile the last matches serve.
    // Counted forward only: local time set back (the end of summer time) must not
    // hold the old matches for an hour and more.
    const std::uint32_t now = localNow();
    if (m_lastDownloadTime != 0 && now >= m_lastDownloadTime && now - m_lastDownloadTime < kThrottleSeconds) {
        return true;
    }
    if (m_config.GetUIDKey().empty() && !prompt.askForKey(m_config)) return false;

    Request request{m_host.url(kPath), m_applicationDirectory / kRequestFileName};
    // The key as stored: not URL-encoded, no line end. Nothing is sent unless the
    // whole request reached the file.
    if (!WriteFileAtomically(m_files, request.requestFile, "request=download&uid=" + m_config.GetUIDKey())) {
        m_sink.appendLine("Error: Cannot create temporary file.");
        return false;
    }
    m_sink.appendLine("Retrieving upcoming matches from remote host " + m_host.name() + "...");
    m_sink.repaint();
    return request;
}

UpcomingExchange::Reply UpcomingExchange::transfer(HttpClient& http, const Request& request) {
    try {
        return http.Post(request.url, request.requestFile.string(), OutputFileMode::On);
    } catch (const std::exception&) {
        // Whatever broke the exchange, the user hears of a connection error, and a
        // worker thread must never let an exception escape.
        return std::nullopt;
    }
}

bool UpcomingExchange::finish(const Request& request, const Reply& reply, UpcomingMatchDBMS& model) {
    if (!reply) {
        // The request file stays behind: nothing answered it.
        m_sink.appendLine("Error: Connection error occured. Please try again later");
        return false;
    }
    std::error_code ignored;
    std::filesystem::remove(request.requestFile, ignored);

    const auto status = ReplyStatus(*reply);
    if (!status) {
        m_sink.appendLine(kInvalidData);
        return false;
    }
    if (*status != "OK") {
        // Only the service's own error texts are for the user's eyes.
        if (status->starts_with(kErrorStatus)) m_sink.appendLine(*status);
        return false;
    }
    const auto payload = ReplyPayload(*reply);
    if (!payload) {
        m_sink.appendLine(kInvalidData);
        return false;
    }
    model.ReadDocument(DecodeBase64Url(*payload));
    m_lastDownloadTime = localNow();
    return true;
}

}  // namespace karvola
