#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace karvola::service {

// The threads the HTTP library serves connections on, one connection per thread
// for as long as it lasts. A connection that finds every thread busy gets a new
// one, up to `most`, instead of waiting: a client that trickles its request or
// stays silent holds its thread for up to the service's request time, and a few
// of them must not keep everyone else's requests waiting that long. Threads are
// kept once made; beyond `most`, connections wait for a free one.
class ConnectionThreads final : public httplib::TaskQueue {
public:
    ConnectionThreads(std::size_t ready, std::size_t most);
    ~ConnectionThreads() override;
    ConnectionThreads(const ConnectionThreads&) = delete;
    ConnectionThreads& operator=(const ConnectionThreads&) = delete;

    void enqueue(std::function<void()> connection) override;
    // Serves the connections already given, then ends every thread.
    void shutdown() override;

private:
    void startThread();  // with m_mutex held
    void serve();

    const std::size_t m_most;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_waiting;
    std::vector<std::thread> m_threads;
    std::size_t m_idle = 0;
    bool m_stopping = false;
};

}  // namespace karvola::service
