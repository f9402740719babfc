#include "KarvolaService.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "ConnectionThreads.h"
#include "UpcomingsReply.h"
#include "common/Version.h"
#include "web/HostPort.h"

namespace karvola::service {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A header block may be read up to this size, so that a large one still gets its
// 413; beyond it the request is cut off as malformed.
constexpr std::size_t kLargestHeaderRead = 1 << 20;
// How often a waiting connection looks whether the service is stopping.
constexpr milliseconds kStopCheck{100};
// Set on a request that is refused before routing, with the status to give.
constexpr const char* kRefusalHeader = "Karvola-Refusal";
constexpr const char* kTextType = "text/plain; charset=ISO-8859-1";

// One connection's socket as the HTTP library reads and writes it, with the
// service's limits: each request must arrive whole within its time and its bytes,
// whatever the client's pace, and no wait outlasts a stop of the service.
class GuardedSocketStream final : public httplib::Stream {
public:
    GuardedSocketStream(int socket, const ServiceLimits& limits, const std::atomic<::socket_t>& listening)
        : m_socket(socket), m_limits(limits), m_listening(listening) {}

    // Waits for the first byte of the next request; false when none came in time.
    bool awaitRequest(milliseconds wait) {
        if (m_begin < m_end) return true;
        return waitFor(POLLIN, Clock::now() + wait);
    }

    // Starts one request's allowance: its time, and the bytes of its header block.
    void beginRequest() {
        m_deadline = Clock::now() + m_limits.requestTime;
        m_consumed = 0;
        m_allowance = kLargestHeaderRead;
        m_responseStatus = 0;
    }
    // The status of the answer written since beginRequest(); 0 before it.
    [[nodiscard]] int responseStatus() const { return m_responseStatus; }
    // Once the header block is read: the whole request may not exceed the limit.
    void limitToRequestSize() { m_allowance = std::max(m_consumed, m_limits.largestRequest); }
    [[nodiscard]] std::size_t consumed() const { return m_consumed; }

    bool is_readable() const override { return m_begin < m_end || waitFor(POLLIN, m_deadline); }
    bool is_writable() const override { return waitFor(POLLOUT, Clock::now() + m_limits.writeTime); }

    ssize_t read(char* destination, size_t size) override {
        if (m_consumed >= m_allowance) return -1;
        size = std::min(size, m_allowance - m_consumed);
        if (m_begin == m_end && !fill()) return -1;
        const std::size_t count = std::min(size, m_end - m_begin);
        std::copy_n(m_buffer.data() + m_begin, count, destination);
        m_begin += count;
        m_consumed += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* source, size_t size) override {
        // The status line comes first, in a write of its own: "HTTP/1.1 200 OK".
        if (m_responseStatus == 0 && size >= 12 && std::string_view(source, 9) == "HTTP/1.1 ") {
            std::from_chars(source + 9, source + 12, m_responseStatus);
        }
        if (!is_writable()) return -1;
        for (;;) {
            const ssize_t sent = ::send(m_socket, source, size, MSG_NOSIGNAL);
            if (sent >= 0 || errno != EINTR) return sent;
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { addressOf(::getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { addressOf(::getsockname, ip, port); }
    ::socket_t socket() const override { return m_socket; }

private:
    bool fill() {
        if (!waitFor(POLLIN, m_deadline)) return false;
        for (;;) {
            const ssize_t count = ::recv(m_socket, m_buffer.data(), m_buffer.size(), 0);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) return false;
            m_begin = 0;
            m_end = static_cast<std::size_t>(count);
            return true;
        }
    }

    // Polls in short slices, so that a stop of the service ends the wait.
    bool waitFor(short events, Clock::time_point deadline) const {
        for (;;) {
            if (m_listening.load() == INVALID_SOCKET) return false;
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            pollfd descriptor{m_socket, events, 0};
            const int ready = ::poll(&descriptor, 1, static_cast<int>(std::min(left, kStopCheck).count()));
            if (ready > 0) return (descriptor.revents & (events | POLLHUP | POLLERR)) != 0;
            if (ready < 0 && errno != EINTR) return false;
        }
    }

    template <typename Lookup>
    void addressOf(Lookup lookup, std::string& ip, int& port) const {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        ip.clear();
        port = -1;
        if (lookup(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
        std::array<char, INET6_ADDRSTRLEN> text{};
        if (address.ss_family == AF_INET) {
            const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
            if (inet_ntop(AF_INET, &v4.sin_addr, text.data(), text.size())) ip = text.data();
            port = ntohs(v4.sin_port);
        } else if (address.ss_family == AF_INET6) {
            const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
            if (inet_ntop(AF_INET6, &v6.sin6_addr, text.data(), text.size())) ip = text.data();
            port = ntohs(v6.sin6_port);
        }
    }

    int m_socket;
    const ServiceLimits& m_limits;
    const std::atomic<::socket_t>& m_listening;
    std::array<char, 4096> m_buffer{};
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    Clock::time_point m_deadline = Clock::now();
    std::size_t m_consumed = 0;
    std::size_t m_allowance = 0;
    int m_responseStatus = 0;
};

// The announced body size; a text that is no plain number counts as too large.
std::size_t ContentLength(const httplib::Request& request) {
    if (!request.has_header("Content-Length")) return 0;
    const std::string text = request.get_header_value("Content-Length");
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (error != std::errc() || end != text.data() + text.size()) return static_cast<std::size_t>(-1);
    return length;
}

std::string_view StatusText(int status) {
    switch (status) {
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 411:
            return "Length Required";
        case 413:
            return "Payload Too Large";
        case 414:
            return "URI Too Long";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        default:
            return "Refused";
    }
}

}  // namespace

// The HTTP library's server, with connections served through GuardedSocketStream.
class GuardedServer final : public httplib::Server {
public:
    explicit GuardedServer(const ServiceLimits& limits) : m_limits(limits) {}

    // The library listens with a queue of five connections, so a burst of new
    // clients would see refused handshakes retried a second later; once bound,
    // the queue takes what the system allows.
    void widenConnectionQueue() const { ::listen(svr_sock_, SOMAXCONN); }

    // The library only lets go of its socket once it serves; a service stopped
    // before that must not leave clients waiting in its connection queue.
    void closeListeningSocket() {
        const ::socket_t socket = svr_sock_.exchange(INVALID_SOCKET);
        if (socket == INVALID_SOCKET) return;
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
    }

private:
    bool process_and_close_socket(::socket_t socket) override {
        // The header block and the body go out in two writes; without this the
        // second would wait for the client's delayed acknowledgement of the first.
        const int yes = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        GuardedSocketStream stream(socket, m_limits, svr_sock_);
        bool served = false;
        for (std::size_t left = m_limits.requestsPerConnection; left > 0; --left) {
            const milliseconds wait = left == m_limits.requestsPerConnection ? m_limits.requestTime : m_limits.idleTime;
            if (!stream.awaitRequest(wait)) break;
            stream.beginRequest();
            bool closed = false;
            served = process_request(stream, left == 1, closed, [this, &stream, &closed](httplib::Request& request) {
                refuseWhenTooLarge(stream, request, closed);
            });
            // After a request it could not read, the service no longer knows
            // where the next one would begin.
            const int status = stream.responseStatus();
            if (!served || closed || status == 400 || status >= 405) break;
        }
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        return served;
    }

    // Called once the header block is read: a request whose body would take it
    // beyond the limit, or that would stream a body of unknown size, is answered
    // without reading its body, and its connection ends with the answer.
    void refuseWhenTooLarge(GuardedSocketStream& stream, httplib::Request& request, bool& closeConnection) const {
        request.headers.erase(kRefusalHeader);
        const char* status = nullptr;
        if (request.has_header("Transfer-Encoding")) {
            status = "411";
        } else {
            const std::size_t length = ContentLength(request);
            if (stream.consumed() > m_limits.largestRequest ||
                length > m_limits.largestRequest - std::min(stream.consumed(), m_limits.largestRequest)) {
                status = "413";
            }
        }
        if (status) {
            request.set_header(kRefusalHeader, status);
            closeConnection = true;
        }
        stream.limitToRequestSize();
    }

    const ServiceLimits& m_limits;
};

std::optional<ListenAddress> ListenAddress::parse(std::string_view text) {
    const std::optional<HostPort> parts = ParseHostPort(text, HostPortUse::Listen);
    if (!parts) return std::nullopt;
    return ListenAddress{std::string(parts->host), *parts->port};
}

bool ListenAddress::isLoopback() const {
    return host == "localhost" || host == "::1" || host.starts_with("127.");
}

KarvolaService::KarvolaService(ContentFolder& content, RequestLog& log, ServiceLimits limits)
    : m_limits(limits), m_server(std::make_unique<GuardedServer>(m_limits)) {
    auto& server = *m_server;
    server.new_task_queue = [limits = m_limits] { return new ConnectionThreads(limits.threads, limits.mostThreads); };
    server.set_payload_max_length(m_limits.largestRequest);
    // Without the library's SO_REUSEPORT: a second service on a taken port must
    // fail to start instead of quietly sharing the port with the first.
    server.set_socket_options([](::socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_keep_alive_max_count(m_limits.requestsPerConnection);

    // Every answer names the program and its version, so that a script finding the
    // port taken can tell this service from another program.
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
        response.set_header("Server", "karvola-service/" + std::string(kVersion));
    });
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (!request.has_header(kRefusalHeader)) return httplib::Server::HandlerResponse::Unhandled;
        response.status = std::atoi(request.get_header_value(kRefusalHeader).c_str());
        return httplib::Server::HandlerResponse::Handled;
    });

    const auto serveText = [&content](std::optional<std::string> ServiceContent::*part) {
        return [&content, part](const httplib::Request&, httplib::Response& response) {
            const auto current = content.current();
            const std::optional<std::string>& text = (*current).*part;
            if (!text) {
                response.status = 404;
                return;
            }
            response.set_content(*text, kTextType);
        };
    };
    server.Get(R"(/referals\.txt)", serveText(&ServiceContent::directory));
    server.Get(R"(/advert\.txt)", serveText(&ServiceContent::advert));
    server.Post(R"(/download_upcomings_service\.php)",
                [&content](const httplib::Request& request, httplib::Response& response) {
                    const auto key = IdentityKeyOf(request.body);
                    if (!key) {
                        response.status = 400;
                        response.set_content(UpcomingsRefusal(kInvalidRequest), kTextType);
                        return;
                    }
                    if (!content.current()->knows(*key)) {
                        response.status = 403;
                        response.set_content(UpcomingsRefusal(kUnknownIdentityKey), kTextType);
                        return;
                    }
                    // Sent from the content's own encoded text: a large content's reply runs to megabytes.
                    const UpcomingsOkReply reply(content.upcoming());
                    response.set_content_provider(reply.size(), kTextType,
                                                  [reply](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                                      return reply.writeFrom(offset, sink.write);
                                                  });
                });

    // Every refusal carries its reason as a short text, and a failing handler
    // answers 500 without its message reaching the client.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) {
            response.set_content(
                std::to_string(response.status) + " " + std::string(StatusText(response.status)) + "\n", kTextType);
        }
    });
    server.set_exception_handler(
        [&log](const httplib::Request&, httplib::Response& response, const std::exception_ptr& failure) {
            response.status = 500;
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& error) {
                log.note(std::chrono::system_clock::now(), std::string("a request failed: ") + error.what());
            } catch (...) {
                log.note(std::chrono::system_clock::now(), "a request failed");
            }
        });
    server.set_logger([&log](const httplib::Request& request, const httplib::Response& response) {
        log.request({.time = std::chrono::system_clock::now(),
                     .client = request.remote_addr,
                     .method = request.method,
                     .target = request.target,
                     .status = response.status,
                     // A reply sent from a shared text has no body of its own.
                     .bodyBytes = response.body.empty() ? response.content_length_ : response.body.size()});
    });
}

KarvolaService::~KarvolaService() = default;

int KarvolaService::bind(const ListenAddress& address) {
    auto& server = *m_server;
    if (address.port == 0) {
        const int port = server.bind_to_any_port(address.host);
        if (port > 0) {
            server.widenConnectionQueue();
            return port;
        }
    } else if (server.bind_to_port(address.host, address.port)) {
        server.widenConnectionQueue();
        return address.port;
    }
    throw std::runtime_error("cannot listen on " + address.host + ":" + std::to_string(address.port) + ": " +
                             std::strerror(errno));
}

void KarvolaService::run() {
    // The server only stops once it listens; a stop that comes first is kept
    // here (see stop()).
    m_running = true;
    if (!m_stopRequested) m_server->listen_after_bind();
    m_running = false;
}

void KarvolaService::stop() {
    m_stopRequested = true;
    while (m_running && !m_server->is_running()) std::this_thread::yield();
    if (m_server->is_running()) {
        m_server->stop();
    } else {
        m_server->closeListeningSocket();
    }
}

}  // namespace karvola::service
