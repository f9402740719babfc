#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "web/HttpClient.h"

namespace karvola::testing {

// The web service as a test scripts it: each Get of a path answers with the
// next body queued for that path (the URL's part after the host), or fails
// like an absent service when none is queued. It records the URLs asked for.
// Safe to use from the threads that download.
class ScriptedHttpClient final : public HttpClient {
public:
    // Queues a body for a path such as "/advert.txt"; nothing queues a failure.
    void answer(const std::string& path, std::optional<std::string> body) {
        const std::scoped_lock lock(m_mutex);
        m_bodies[path].push_back(std::move(body));
    }

    std::string Get(const std::string& url) override {
        const std::scoped_lock lock(m_mutex);
        m_urls.push_back(url);
        if (m_cancelled) throw TransportError("cancelled");
        auto& queue = m_bodies[pathOf(url)];
        std::optional<std::string> body;
        if (!queue.empty()) {
            body = std::move(queue.front());
            queue.pop_front();
        }
        if (!body) throw TransportError("connection refused");
        return *body;
    }
    std::string Post(const std::string& url, const std::string&, OutputFileMode) override { return Get(url); }
    void cancel() override {
        const std::scoped_lock lock(m_mutex);
        m_cancelled = true;
    }

    [[nodiscard]] std::vector<std::string> urls() const {
        const std::scoped_lock lock(m_mutex);
        return m_urls;
    }

private:
    static std::string pathOf(const std::string& url) {
        const auto scheme = url.find("://");
        const auto path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
        return path == std::string::npos ? "/" : url.substr(path);
    }

    mutable std::mutex m_mutex;
    std::map<std::string, std::deque<std::optional<std::string>>> m_bodies;
    std::vector<std::string> m_urls;
    bool m_cancelled = false;
};

}  // namespace karvola::testing
