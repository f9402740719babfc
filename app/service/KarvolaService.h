#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ContentFolder.h"
#include "RequestLog.h"

namespace karvola::service {

// Where the service listens: an address (a name, an IPv4 address or a bracketed
// IPv6 one) and a port, 0 letting the system choose.
struct ListenAddress {
    std::string host = "127.0.0.1";
    int port = 8470;

    // "ADDR:PORT" as HostPortUse::Listen has it; nothing when it is not one.
    [[nodiscard]] static std::optional<ListenAddress> parse(std::string_view text);
    [[nodiscard]] bool isLoopback() const;
};

// What one client may cost the service.
struct ServiceLimits {
    std::size_t largestRequest = 64 * 1024;  // request line, headers and body; larger ones get 413
    // A request must arrive whole within this time of its first byte, however
    // slowly its bytes trickle in; a client that stays silent this long is dropped.
    std::chrono::milliseconds requestTime{10'000};
    std::chrono::milliseconds idleTime{5'000};  // between two requests of one connection
    std::chrono::milliseconds writeTime{10'000};
    std::size_t requestsPerConnection = 100;
    std::size_t threads = 16;  // kept ready for connections
    // Connections served at once at the most: one that finds every thread busy
    // gets a thread of its own up to this many, instead of waiting behind slow
    // or silent clients; beyond, it waits for a free thread.
    std::size_t mostThreads = 256;
};

class GuardedServer;

// The Karvola web service: the bookmaker directory (GET /referals.txt), the
// advert (GET /advert.txt) and the upcoming-matches exchange
// (POST /download_upcomings_service.php), answered from a content folder.
// Every other route is 404.
class KarvolaService final {
public:
    KarvolaService(ContentFolder& content, RequestLog& log, ServiceLimits limits = {});
    ~KarvolaService();
    KarvolaService(const KarvolaService&) = delete;
    KarvolaService& operator=(const KarvolaService&) = delete;

    // Binds the address and returns the port, the system's choice for port 0;
    // throws std::runtime_error when it cannot.
    int bind(const ListenAddress& address);
    // Serves on the bound address until stop(), which any thread may call, also
    // before run() has begun.
    void run();
    void stop();

private:
    ServiceLimits m_limits;
    std::unique_ptr<GuardedServer> m_server;
    std::atomic<bool> m_running = false;
    std::atomic<bool> m_stopRequested = false;
};

}  // namespace karvola::service
