#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "ContentFolder.h"
#include "FuzzSupport.h"
#include "KarvolaService.h"
#include "RequestLog.h"

using namespace karvola;

namespace {

// The service on a loopback port of the system's choice, answering from the
// shipped sample content on 1 May 2023, so that the season's last rounds are
// still to come. Started once for the whole run; stopped and joined at exit.
class ServiceUnderTest final {
public:
    ServiceUnderTest()
        : m_logStream(std::fopen("/dev/null", "w"), std::fclose),
          m_log(m_logStream.get()),
          m_content(
              KARVOLA_SERVICE_CONTENT_DIR, [](const std::string&) {},
              service::UpcomingSettings{.clock = std::make_shared<fuzz::FixedClock>(), .shiftToNow = false}),
          m_service(m_content, m_log, Limits()) {
        m_port = m_service.bind({.host = "127.0.0.1", .port = 0});
        m_thread = std::thread([this] { m_service.run(); });
    }
    ~ServiceUnderTest() {
        m_service.stop();
        m_thread.join();
    }
    ServiceUnderTest(const ServiceUnderTest&) = delete;
    ServiceUnderTest& operator=(const ServiceUnderTest&) = delete;

    [[nodiscard]] int port() const { return m_port; }

private:
    // A request cut short waits no longer than this; the harness closes its
    // side after sending, so only a fault in the service would wait at all.
    static service::ServiceLimits Limits() {
        service::ServiceLimits limits;
        limits.requestTime = std::chrono::milliseconds(2'000);
        limits.idleTime = std::chrono::milliseconds(500);
        return limits;
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_logStream;
    service::RequestLog m_log;
    service::ContentFolder m_content;
    service::KarvolaService m_service;
    int m_port = 0;
    std::thread m_thread;
};

// Sends the bytes, closes the sending side and reads the whole answer; a
// service that neither answers nor closes within eight seconds (four times its
// request time, for a loaded machine) is hanging.
std::string Exchange(int port, std::string_view request) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    KARVOLA_FUZZ_EXPECT(socket >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const timeval wait{8, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    // Each exchange from another loopback address: the service closes first, so
    // every connection leaves a minute of TIME_WAIT, and at over a thousand
    // exchanges a second one address would run out of ports.
    static std::uint32_t exchanges = 0;
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = htonl(0x7F010000U | (++exchanges % 0xFFFFU + 1U));
    // The port is chosen at connect, knowing the destination, so that it never
    // meets a connection of the same four numbers still in TIME_WAIT.
    const int late = 1;
    ::setsockopt(socket, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &late, sizeof late);
    KARVOLA_FUZZ_EXPECT(::bind(socket, reinterpret_cast<const sockaddr*>(&source), sizeof source) == 0);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // libFuzzer's once-a-second timer may interrupt the connect, which then
        // goes on by itself: wait for it and take its outcome.
        int error = errno;
        if (error == EINTR) {
            pollfd connecting{socket, POLLOUT, 0};
            while (::poll(&connecting, 1, 8'000) < 0 && errno == EINTR) {
            }
            socklen_t length = sizeof error;
            ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        if (error != 0) {
            std::fprintf(stderr, "connect: %s\n", std::strerror(error));
            KARVOLA_FUZZ_FAULT();
        }
    }
    // The service may answer and close before it has read everything (a
    // refusal): a failed send is not the service's fault.
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t count = ::send(socket, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) break;
        sent += static_cast<std::size_t>(count);
    }
    ::shutdown(socket, SHUT_WR);
    std::string answer;
    char buffer[8192];
    for (;;) {
        const ssize_t count = ::recv(socket, buffer, sizeof buffer, 0);
        if (count == 0) break;
        if (count < 0) {
            // ECONNRESET: closed with unread bytes in its queue, after answering.
            if (errno == EAGAIN || errno == EWOULDBLOCK) KARVOLA_FUZZ_FAULT();
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(socket);
    return answer;
}

}  // namespace

// Any bytes a client may send to karvola-service: every answer is a whole HTTP
// answer with a status the service gives on purpose (never 500, which only a
// failing handler gives), or the connection closed without one, and the service
// goes on answering.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ServiceUnderTest service;
    const std::string answer = Exchange(service.port(), fuzz::TextOf(data, size));
    std::string_view rest = answer;
    while (!rest.empty()) {
        KARVOLA_FUZZ_EXPECT(rest.starts_with("HTTP/1.1 ") && rest.size() >= 12);
        KARVOLA_FUZZ_EXPECT(rest.substr(9, 3) != "500");
        // Pipelined requests get one answer each; only the status lines are checked.
        const std::size_t next = rest.find("HTTP/1.1 ", 1);
        rest.remove_prefix(next == std::string_view::npos ? rest.size() : next);
    }
    return 0;
}
