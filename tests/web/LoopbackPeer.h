#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

namespace karvola::testing {

// A file descriptor, closed with its owner.
class Descriptor final {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    [[nodiscard]] int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// A scripted HTTP server on 127.0.0.1, on a port the system chooses, serving
// from its own thread. It records the raw bytes of every request (head and
// the body its Content-Length announces) and then plays its script. The
// destructor stops and joins the thread, so a test never outlives its peer
// and never hangs on it.
class LoopbackPeer final {
public:
    // Sends the bytes, then closes the connection.
    struct Reply {
        std::string bytes;
    };
    // Accepts and reads, but never answers while the peer lives.
    struct Silence {};
    // An HTTP/1.0 reply without Content-Length: the head, then the given
    // number of body bytes, then the close that ends the body.
    struct Stream {
        std::size_t bodyBytes = 0;
    };
    // A head announcing a Content-Length, a few body bytes, and then nothing
    // while the peer lives: only a client that believes the announcement stops
    // before its time-out.
    struct Announce {
        std::size_t contentLength = 0;
    };
    using Script = std::variant<Reply, Silence, Stream, Announce>;

    explicit LoopbackPeer(Script script);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return m_port; }
    // "127.0.0.1:PORT".
    [[nodiscard]] std::string hostAndPort() const;
    // "http://127.0.0.1:PORT" + path.
    [[nodiscard]] std::string url(std::string_view path) const;
    // Everything received so far, requests one after the other.
    [[nodiscard]] std::string received() const;

    // A loopback port that was bound and released: nothing listens there, so a
    // connection is refused at once.
    static std::uint16_t closedPort();

private:
    void serve();
    void play(int connection);
    bool readRequest(int connection);
    bool sendAll(int connection, std::string_view bytes);
    // Waits until the descriptor is ready for the events or the peer stops; false when it stops.
    bool waitFor(int descriptor, short events);

    Script m_script;
    Descriptor m_listener;
    Descriptor m_stopEvent;
    std::uint16_t m_port = 0;
    mutable std::mutex m_mutex;
    std::string m_received;
    std::thread m_thread;
};

// A loopback port whose listener never accepts and whose accept queue is
// already full: the system drops further connection attempts unanswered, as a
// host that is down or behind a firewall does.
class FullListener final {
public:
    FullListener();

    [[nodiscard]] std::uint16_t port() const { return m_port; }

private:
    Descriptor m_listener;
    std::uint16_t m_port = 0;
    std::vector<Descriptor> m_queued;
};

}  // namespace karvola::testing
