#include "RequestLog.h"

#include <ctime>

namespace karvola::service {
namespace {

constexpr std::size_t kLongestLoggedText = 200;

std::string UtcTimeText(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm fields{};
    gmtime_r(&seconds, &fields);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &fields);
    return {text, length};
}

}  // namespace

std::string RequestLog::Printable(std::string_view text) {
    std::string printable;
    const bool cut = text.size() > kLongestLoggedText;
    for (const char c : text.substr(0, kLongestLoggedText)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            printable += c;
        } else {
            constexpr char kHex[] = "0123456789ABCDEF";
            printable += "\\x";
            printable += kHex[byte >> 4];
            printable += kHex[byte & 15];
        }
    }
    if (cut) printable += "...";
    return printable;
}

void RequestLog::request(const Request& request) {
    std::string line = UtcTimeText(request.time);
    line += ' ';
    line += request.client.empty() ? "-" : Printable(request.client);
    line += request.method.empty() ? " \"-\" "
                                   : " \"" + Printable(request.method) + ' ' + Printable(request.target) + "\" ";
    line += std::to_string(request.status);
    line += ' ';
    line += std::to_string(request.bodyBytes);
    writeLine(line);
}

void RequestLog::note(std::chrono::system_clock::time_point time, std::string_view text) {
    writeLine(UtcTimeText(time) + " note: " + std::string(text));
}

void RequestLog::hold() {
    const std::scoped_lock lock(m_mutex);
    m_held = true;
}

void RequestLog::release() {
    const std::scoped_lock lock(m_mutex);
    m_held = false;
    for (const std::string& line : m_heldLines) {
        std::fputs(line.c_str(), m_stream);
        std::fputc('\n', m_stream);
    }
    std::fflush(m_stream);
    m_heldLines.clear();
}

void RequestLog::writeLine(const std::string& line) {
    const std::scoped_lock lock(m_mutex);
    if (m_held) {
        m_heldLines.push_back(line);
        return;
    }
    std::fputs(line.c_str(), m_stream);
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
}

}  // namespace karvola::service
