#include "RawHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <stdexcept>
#include <utility>

namespace karvola::testing {
namespace {

// The Content-Length of a header block (its lines each ending in CR LF); 0 without one.
std::size_t ContentLengthOf(std::string_view headers) {
    constexpr std::string_view kName = "\r\ncontent-length:";
    for (auto line = headers.find("\r\n"); line != std::string_view::npos; line = headers.find("\r\n", line + 2)) {
        if (headers.size() - line < kName.size()) break;
        const bool named = std::equal(kName.begin(), kName.end(), headers.begin() + static_cast<std::ptrdiff_t>(line),
                                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
        if (!named) continue;
        std::size_t at = line + kName.size();
        while (at < headers.size() && headers[at] == ' ') ++at;
        std::size_t length = 0;
        std::from_chars(headers.data() + at, headers.data() + headers.size(), length);
        return length;
    }
    return 0;
}

}  // namespace

RawConnection::RawConnection(int port) {
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) throw std::runtime_error("no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_socket);
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    }
}

RawConnection::~RawConnection() {
    ::close(m_socket);
}

bool RawConnection::send(std::string_view bytes) {
    while (!bytes.empty()) {
        pollfd descriptor{m_socket, POLLOUT, 0};
        if (::poll(&descriptor, 1, 5000) <= 0) return false;
        const ssize_t sent = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void RawConnection::finishSending() {
    ::shutdown(m_socket, SHUT_WR);
}

bool RawConnection::awaitReadable(Clock::time_point deadline) const {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd descriptor{m_socket, POLLIN, 0};
        const int ready = ::poll(&descriptor, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

std::string RawConnection::receiveAll(std::chrono::milliseconds within) {
    std::string received = std::exchange(m_pending, {});
    const auto deadline = Clock::now() + within;
    std::array<char, 16384> buffer{};
    while (awaitReadable(deadline)) {
        const ssize_t count = ::recv(m_socket, buffer.data(), buffer.size(), 0);
        if (count <= 0) break;  // closed, or reset after a refusal
        received.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return received;
}

std::string RawConnection::receiveResponse(std::chrono::milliseconds within) {
    std::string received = std::exchange(m_pending, {});
    const auto deadline = Clock::now() + within;
    std::array<char, 16384> buffer{};
    std::size_t whole = std::string::npos;  // the response's length, once its header block is in
    for (;;) {
        if (whole == std::string::npos) {
            if (const auto end = received.find("\r\n\r\n"); end != std::string::npos) {
                whole = end + 4 + ContentLengthOf(std::string_view(received).substr(0, end + 2));
            }
        }
        if (whole != std::string::npos && received.size() >= whole) {
            m_pending = received.substr(whole);
            received.resize(whole);
            return received;
        }
        if (!awaitReadable(deadline)) return received;
        const ssize_t count = ::recv(m_socket, buffer.data(), buffer.size(), 0);
        if (count <= 0) return received;
        received.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

bool RawConnection::closedByPeer(std::chrono::milliseconds within) {
    const auto deadline = Clock::now() + within;
    std::array<char, 4096> buffer{};
    while (awaitReadable(deadline)) {
        if (::recv(m_socket, buffer.data(), buffer.size(), 0) <= 0) return true;
    }
    return false;
}

std::string Exchange(int port, std::string_view request, std::chrono::milliseconds within) {
    RawConnection connection(port);
    connection.send(request);
    connection.finishSending();
    return connection.receiveAll(within);
}

int StatusOf(std::string_view response) {
    // "HTTP/1.1 200 OK"
    if (!response.starts_with("HTTP/1.") || response.size() < 12) return 0;
    const std::string_view code = response.substr(9, 3);
    int status = 0;
    for (const char digit : code) {
        if (digit < '0' || digit > '9') return 0;
        status = status * 10 + (digit - '0');
    }
    return status;
}

std::string BodyOf(std::string_view response) {
    const auto end = response.find("\r\n\r\n");
    return end == std::string_view::npos ? std::string() : std::string(response.substr(end + 4));
}

}  // namespace karvola::testing
