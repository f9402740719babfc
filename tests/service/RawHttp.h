#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace karvola::testing {

// A client that sends any bytes at all, for what a well-behaved HTTP client
// never sends.
class RawConnection final {
public:
    // Connects to 127.0.0.1:port; throws std::runtime_error when it cannot.
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // False once the peer no longer takes bytes.
    bool send(std::string_view bytes);
    // Ends the sending half; the peer reads the end of the request.
    void finishSending();
    // Everything the peer sends until it closes the connection or the time is up.
    std::string receiveAll(std::chrono::milliseconds within);
    // One response of a kept connection: its header block and as many body bytes
    // as its Content-Length says; less when the peer closed or the time ran out.
    // What follows it waits for the next call.
    std::string receiveResponse(std::chrono::milliseconds within);
    // Whether the peer closed the connection within the time.
    bool closedByPeer(std::chrono::milliseconds within);

private:
    using Clock = std::chrono::steady_clock;
    // False when nothing came before the deadline.
    bool awaitReadable(Clock::time_point deadline) const;

    int m_socket = -1;
    std::string m_pending;  // received beyond the last response
};

// One whole exchange: sends the request, ends the sending half unless told to
// keep it open, and returns the peer's answer.
std::string Exchange(int port, std::string_view request, std::chrono::milliseconds within = std::chrono::seconds(5));

// The status code of the first response in the text; 0 when there is none.
int StatusOf(std::string_view response);
// The body of the first response: what follows the header block.
std::string BodyOf(std::string_view response);

}  // namespace karvola::testing
