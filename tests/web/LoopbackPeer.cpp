#include "LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <stdexcept>
#include <system_error>

namespace karvola::testing {

namespace {

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

int openLoopbackListener(int backlog = 8) {
    const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) throwSystemError("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(descriptor, backlog) != 0) {
        const int error = errno;
        ::close(descriptor);
        throw std::system_error(error, std::generic_category(), "bind/listen on 127.0.0.1");
    }
    return descriptor;
}

std::uint16_t portOf(int descriptor) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throwSystemError("getsockname");
    }
    return ntohs(address.sin_port);
}

// The Content-Length a request head announces; 0 without one.
std::size_t announcedLength(std::string_view head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::string_view key = "\r\ncontent-length:";
    const std::size_t at = lower.find(key);
    if (at == std::string::npos) return 0;
    std::size_t begin = at + key.size();
    while (begin < lower.size() && lower[begin] == ' ') ++begin;
    std::size_t length = 0;
    std::from_chars(lower.data() + begin, lower.data() + lower.size(), length);
    return length;
}

}  // namespace

Descriptor::~Descriptor() {
    if (m_descriptor >= 0) ::close(m_descriptor);
}

LoopbackPeer::LoopbackPeer(Script script)
    : m_script(std::move(script)),
      m_listener(openLoopbackListener()),
      m_stopEvent(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (m_stopEvent.get() < 0) throwSystemError("eventfd");
    m_port = portOf(m_listener.get());
    m_thread = std::thread([this] { serve(); });
}

LoopbackPeer::~LoopbackPeer() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_stopEvent.get(), &one, sizeof one);
    m_thread.join();
}

std::string LoopbackPeer::hostAndPort() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string LoopbackPeer::url(std::string_view path) const {
    return "http://" + hostAndPort() + std::string(path);
}

std::string LoopbackPeer::received() const {
    const std::lock_guard lock(m_mutex);
    return m_received;
}

std::uint16_t LoopbackPeer::closedPort() {
    const Descriptor listener(openLoopbackListener());
    return portOf(listener.get());
}

bool LoopbackPeer::waitFor(int descriptor, short events) {
    pollfd descriptors[] = {{descriptor, events, 0}, {m_stopEvent.get(), POLLIN, 0}};
    while (true) {
        const int ready = ::poll(descriptors, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || descriptors[1].revents != 0) return false;
        if (descriptors[0].revents != 0) return true;
    }
}

void LoopbackPeer::serve() {
    while (waitFor(m_listener.get(), POLLIN)) {
        const Descriptor connection(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (connection.get() < 0) continue;
        play(connection.get());
    }
}

void LoopbackPeer::play(int connection) {
    if (!readRequest(connection)) return;
    if (const auto* reply = std::get_if<Reply>(&m_script)) {
        sendAll(connection, reply->bytes);
    } else if (const auto* stream = std::get_if<Stream>(&m_script)) {
        if (!sendAll(connection, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")) return;
        const std::string chunk(16 * 1024, 'x');
        for (std::size_t left = stream->bodyBytes; left > 0;) {
            const std::size_t size = std::min(left, chunk.size());
            if (!sendAll(connection, std::string_view(chunk).substr(0, size))) return;
            left -= size;
        }
    } else {
        if (const auto* announce = std::get_if<Announce>(&m_script)) {
            sendAll(connection,
                    "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(announce->contentLength) + "\r\n\r\nxxxx");
        }
        // Silence: hold the connection open until the peer stops or the client hangs up.
        char byte = 0;
        while (waitFor(connection, POLLIN) && ::recv(connection, &byte, 1, 0) > 0) {
        }
    }
}

bool LoopbackPeer::readRequest(int connection) {
    std::string request;
    std::size_t headEnd = std::string::npos;
    char buffer[16 * 1024];
    while (headEnd == std::string::npos || request.size() < headEnd + announcedLength(request.substr(0, headEnd))) {
        if (!waitFor(connection, POLLIN)) return false;
        const ssize_t size = ::recv(connection, buffer, sizeof buffer, 0);
        if (size < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (size <= 0) return false;
        request.append(buffer, static_cast<std::size_t>(size));
        {
            const std::lock_guard lock(m_mutex);
            m_received.append(buffer, static_cast<std::size_t>(size));
        }
        if (headEnd == std::string::npos) {
            const std::size_t blank = request.find("\r\n\r\n");
            if (blank != std::string::npos) headEnd = blank + 4;
        }
    }
    return true;
}

bool LoopbackPeer::sendAll(int connection, std::string_view bytes) {
    while (!bytes.empty()) {
        if (!waitFor(connection, POLLOUT)) return false;
        const ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

FullListener::FullListener() : m_listener(openLoopbackListener(0)), m_port(portOf(m_listener.get())) {
    // A backlog of 0 still queues one connection; a few more make sure the
    // queue is full whatever the kernel rounds it to.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(m_port);
    for (int i = 0; i < 3; ++i) {
        Descriptor client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        if (client.get() < 0) throwSystemError("socket");
        // Non-blocking: the attempts that do not fit stay pending.
        static_cast<void>(::connect(client.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address));
        m_queued.push_back(std::move(client));
    }
}

}  // namespace karvola::testing
