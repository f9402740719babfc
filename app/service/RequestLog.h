#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace karvola::service {

// One line per request, and the service's own notes, written whole from any of
// the server's threads.
class RequestLog final {
public:
    // Writes to the stream, which stays the caller's (standard output, or a file
    // the front end opened).
    explicit RequestLog(std::FILE* stream) : m_stream(stream) {}
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    struct Request {
        std::chrono::system_clock::time_point time;
        std::string_view client;  // the peer's address
        std::string_view method;  // empty when the request line could not be read
        std::string_view target;  // as the client sent it
        int status = 0;
        std::size_t bodyBytes = 0;  // what the reply carried
    };

    // "2026-12-10T16:40:02Z 127.0.0.1 "GET /referals.txt" 200 1234"
    void request(const Request& request);
    // "2026-12-10T16:40:02Z note: TEXT"
    void note(std::chrono::system_clock::time_point time, std::string_view text);

    // Keeps the lines back until release(): what is noted while the service
    // starts must follow the start-up line, which scripts read the port from.
    void hold();
    void release();

    // A client's text made safe for one log line: printable ASCII stays, every
    // other byte (and the quote and backslash) becomes \xHH; long texts are cut.
    [[nodiscard]] static std::string Printable(std::string_view text);

private:
    void writeLine(const std::string& line);

    std::FILE* m_stream;
    std::mutex m_mutex;
    bool m_held = false;
    std::vector<std::string> m_heldLines;
};

}  // namespace karvola::service
