#include "web/HostPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>

namespace karvola {

namespace {

constexpr std::size_t kMaxNameLength = 253;
constexpr std::size_t kMaxLabelLength = 63;

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

// Bytes that can never appear, named after what they would make of a URL.
std::optional<std::string> findForbiddenByte(std::string_view text) {
    if (text.find("://") != std::string_view::npos) return "a scheme is not allowed";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return "it has a control character";
        if (byte >= 0x80) return "it has a non-ASCII character";
        if (c == ' ') return "it has a space";
        if (c == '/' || c == '@' || c == '?' || c == '#' || c == '\\' || c == '%') {
            return std::string("the character '") + c + "' is not allowed";
        }
    }
    return std::nullopt;
}

std::optional<std::string> findPortFault(std::string_view port, HostPortUse use, HostPort& parts) {
    if (port.empty()) return "the port is missing after ':'";
    if (!allDigits(port)) return "the port must be decimal digits";
    const unsigned lowest = use == HostPortUse::Listen ? 0 : 1;
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size() || value < lowest || value > 65535) {
        return use == HostPortUse::Listen ? "the port must be 0 to 65535" : "the port must be 1 to 65535";
    }
    parts.port = static_cast<std::uint16_t>(value);
    return std::nullopt;
}

// Four decimal numbers 0..255 without leading zeros, which some resolvers
// would read as octal.
bool isIpv4Address(std::string_view text) {
    int parts = 0;
    while (true) {
        const std::size_t dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        if (!allDigits(part) || part.size() > 3 || (part.size() > 1 && part[0] == '0')) return false;
        unsigned value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        if (value > 255) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        text.remove_prefix(dot + 1);
    }
    return parts == 4;
}

std::optional<std::string> findNameFault(std::string_view name) {
    if (name.empty()) return "the host name is missing";
    if (name.size() > kMaxNameLength) return "the host name is longer than 253 characters";
    // Digits and dots alone are an address to every resolver ("123" is 0.0.0.123).
    if (name.find_first_not_of("0123456789.") == std::string_view::npos) {
        if (isIpv4Address(name)) return std::nullopt;
        return "not an IPv4 address";
    }
    while (true) {
        const std::size_t dot = name.find('.');
        const std::string_view label = name.substr(0, dot);
        if (label.empty()) return "the host name has an empty label";
        if (label.size() > kMaxLabelLength) return "a label of the host name is longer than 63 characters";
        for (const char c : label) {
            if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '-') {
                return std::string("the character '") + c + "' is not allowed";
            }
        }
        if (label.front() == '-' || label.back() == '-') return "a label of the host name starts or ends with '-'";
        if (dot == std::string_view::npos) break;
        name.remove_prefix(dot + 1);
    }
    return std::nullopt;
}

std::optional<std::string> findIpv6Fault(std::string_view literal) {
    // inet_pton takes no zone ("%eth0") and no embedded NUL: exactly the
    // literals a URL may carry.
    const std::string address(literal);
    in6_addr parsed{};
    if (address.empty() || ::inet_pton(AF_INET6, address.c_str(), &parsed) != 1) return "not an IPv6 address";
    return std::nullopt;
}

// A listener's host goes to the resolver, which has the last word on it; only
// its characters are checked here.
std::optional<std::string> findListenHostFault(std::string_view host) {
    if (host.empty()) return "the host name is missing";
    for (const char c : host) {
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '-' && c != '.' && c != ':') {
            return std::string("the character '") + c + "' is not allowed";
        }
    }
    return std::nullopt;
}

std::optional<std::string> findHostFault(std::string_view host, bool bracketed, HostPortUse use) {
    if (use == HostPortUse::Listen) return findListenHostFault(host);
    return bracketed ? findIpv6Fault(host) : findNameFault(host);
}

std::optional<std::string> readHostPort(std::string_view text, HostPortUse use, HostPort& parts) {
    if (text.empty()) return "it is empty";
    if (auto fault = findForbiddenByte(text)) return fault;
    std::string_view rest;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) return "the IPv6 address has no closing ']'";
        parts.host = text.substr(1, close - 1);
        if (auto fault = findHostFault(parts.host, true, use)) return fault;
        rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return "only a port may follow the IPv6 address";
    } else {
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
            return "an IPv6 address needs brackets, as in [::1]";
        }
        parts.host = text.substr(0, colon);
        if (auto fault = findHostFault(parts.host, false, use)) return fault;
        if (colon != std::string_view::npos) rest = text.substr(colon);
    }
    if (!rest.empty()) return findPortFault(rest.substr(1), use, parts);
    if (use == HostPortUse::Listen) return "the port is missing";
    return std::nullopt;
}

}  // namespace

std::optional<std::string> FindHostPortFault(std::string_view text, HostPortUse use) {
    HostPort parts;
    return readHostPort(text, use, parts);
}

std::optional<HostPort> ParseHostPort(std::string_view text, HostPortUse use) {
    HostPort parts;
    if (readHostPort(text, use, parts)) return std::nullopt;
    return parts;
}

}  // namespace karvola
