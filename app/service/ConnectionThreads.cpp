#include "ConnectionThreads.h"

#include <algorithm>
#include <utility>

namespace karvola::service {

ConnectionThreads::ConnectionThreads(std::size_t ready, std::size_t most) : m_most(std::max<std::size_t>(1, most)) {
    const std::scoped_lock lock(m_mutex);
    for (std::size_t i = 0; i < std::clamp<std::size_t>(ready, 1, m_most); ++i) startThread();
}

ConnectionThreads::~ConnectionThreads() {
    shutdown();
}

void ConnectionThreads::enqueue(std::function<void()> connection) {
    const std::scoped_lock lock(m_mutex);
    m_waiting.push_back(std::move(connection));
    // Every idle thread has a connection to take already: this one gets a thread of its own.
    if (m_waiting.size() > m_idle && m_threads.size() < m_most) startThread();
    m_wake.notify_one();
}

void ConnectionThreads::shutdown() {
    std::vector<std::thread> threads;
    {
        const std::scoped_lock lock(m_mutex);
        m_stopping = true;
        threads = std::move(m_threads);
    }
    m_wake.notify_all();
    for (std::thread& thread : threads) thread.join();
}

void ConnectionThreads::startThread() {
    m_threads.emplace_back([this] { serve(); });
}

void ConnectionThreads::serve() {
    for (;;) {
        std::function<void()> connection;
        {
            std::unique_lock lock(m_mutex);
            ++m_idle;
            m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
            --m_idle;
            if (m_waiting.empty()) return;  // stopping, with nothing left to serve
            connection = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        connection();
    }
}

}  // namespace karvola::service
