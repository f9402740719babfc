#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace karvola {

// What a HOST[:PORT] text is for. Both read it the same way; they differ in
// what they let through.
enum class HostPortUse {
    // A service to connect to, whose host goes into URLs: a DNS name, an IPv4
    // address or a bracketed IPv6 literal, each well formed, and a port 1 to
    // 65535 if any.
    Connect,
    // An address to listen on, which the resolver judges as it stands: letters,
    // digits, dots and dashes (colons too within brackets), and a port 0 to
    // 65535 that must be given, 0 for one the system chooses.
    Listen,
};

struct HostPort {
    std::string_view host;  // an IPv6 literal without its brackets
    std::optional<std::uint16_t> port;
};

// Why the text is no HOST[:PORT] for that use, in a few words; nothing when it is one.
std::optional<std::string> FindHostPortFault(std::string_view text, HostPortUse use);
// The text's host and port; nothing when it is no HOST[:PORT] for that use.
std::optional<HostPort> ParseHostPort(std::string_view text, HostPortUse use);

}  // namespace karvola
