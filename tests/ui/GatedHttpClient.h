#pragma once

#include <condition_variable>
#include <mutex>
#include <string>

#include "web/HttpClient.h"

namespace karvola::testing {

// A client that passes every exchange on to another one, except that while
// closed, exchanges whose URL holds a given text wait: a service that takes
// its time. Opening lets them through; cancelling fails them as the real
// client does. Safe to use from the threads that download.
class GatedHttpClient final : public HttpClient {
public:
    explicit GatedHttpClient(HttpClient& inner) : m_inner(inner) {}

    // From now on exchanges whose URL holds the text wait until open() or cancel().
    void close(std::string urlPart) {
        const std::scoped_lock lock(m_mutex);
        m_held = std::move(urlPart);
    }
    void open() {
        const std::scoped_lock lock(m_mutex);
        m_held.clear();
        m_changed.notify_all();
    }
    // Whether an exchange is waiting at the gate now.
    [[nodiscard]] bool holding() const {
        const std::scoped_lock lock(m_mutex);
        return m_waiting > 0;
    }

    std::string Get(const std::string& url) override {
        pass(url);
        return m_inner.Get(url);
    }
    std::string Post(const std::string& url, const std::string& bodyOrFile, OutputFileMode mode) override {
        pass(url);
        return m_inner.Post(url, bodyOrFile, mode);
    }
    void cancel() override {
        {
            const std::scoped_lock lock(m_mutex);
            m_cancelled = true;
            m_changed.notify_all();
        }
        m_inner.cancel();
    }

private:
    void pass(const std::string& url) {
        std::unique_lock lock(m_mutex);
        const auto held = [this, &url] { return !m_held.empty() && url.find(m_held) != std::string::npos; };
        ++m_waiting;
        m_changed.wait(lock, [this, &held] { return m_cancelled || !held(); });
        --m_waiting;
        if (m_cancelled) throw TransportError("cancelled");
    }

    HttpClient& m_inner;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_held;
    int m_waiting = 0;
    bool m_cancelled = false;
};

}  // namespace karvola::testing
