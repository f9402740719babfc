#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

#include "web/HttpClient.h"

namespace karvola {

// Bounds on one exchange, so that a dead or misbehaving host never blocks the
// program for ever nor fills its memory.
struct HttpLimits {
    std::chrono::milliseconds connectTimeout{10'000};
    // The whole exchange, connecting included.
    std::chrono::milliseconds totalTimeout{60'000};
    std::size_t maxReplyBytes = std::size_t{64} * 1024 * 1024;
};

// The HTTP client over libcurl. Each call has its own connection and nothing
// is kept between calls, so an object may be used from any thread (one call at
// a time per object is all the callers need, and more is safe too). Only http
// and https URLs are fetched (a URL without a scheme is http), never through a
// proxy and without following redirects.
class CurlHttpClient final : public HttpClient {
public:
    explicit CurlHttpClient(HttpLimits limits = {});

    std::string Get(const std::string& url) override;
    // An HTTP/1.0 request with a Content-type and a Content-Length header.
    std::string Post(const std::string& url, const std::string& bodyOrFile, OutputFileMode mode) override;
    // Takes effect within about a second: libcurl asks at least that often.
    void cancel() override { m_cancelled = true; }

    [[nodiscard]] const HttpLimits& limits() const { return m_limits; }

private:
    // The reply body of a GET, or of a POST when a body is given.
    std::string exchange(const std::string& url, const std::string* postBody);

    HttpLimits m_limits;
    std::atomic<bool> m_cancelled = false;
};

}  // namespace karvola
