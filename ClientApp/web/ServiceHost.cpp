#include "web/ServiceHost.h"

#include <cstdio>
#include <stdexcept>

#include "web/HostPort.h"

namespace karvola {

namespace {

// The text with every byte that is not printable ASCII as \xNN, so that a
// message never carries control bytes to the terminal.
std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> ServiceHost::findFault(std::string_view text) {
    return FindHostPortFault(text, HostPortUse::Connect);
}

std::optional<ServiceHost> ServiceHost::parse(std::string_view text) {
    if (findFault(text)) return std::nullopt;
    return ServiceHost(std::string(text));
}

ServiceHost ServiceHost::defaultHost() {
    return ServiceHost(std::string(kDefaultServiceHost));
}

std::string ServiceHost::url(std::string_view path) const {
    std::string url = "http://";
    url += m_name;
    url += path;
    return url;
}

ServiceHostChoice ChooseServiceHost(const std::optional<std::string>& option, const char* environment) {
    if (option) {
        if (auto fault = ServiceHost::findFault(*option)) {
            throw std::invalid_argument("--service: \"" + printable(*option) + "\" is not a HOST[:PORT]: " + *fault);
        }
        return {*ServiceHost::parse(*option), std::nullopt};
    }
    if (environment == nullptr || *environment == '\0') return {};
    const std::string_view value(environment);
    if (auto fault = ServiceHost::findFault(value)) {
        return {ServiceHost::defaultHost(), "KARVOLA_SERVICE_HOST is not a HOST[:PORT]: \"" + printable(value) +
                                                "\": " + *fault + "; using " + std::string(kDefaultServiceHost)};
    }
    return {*ServiceHost::parse(value), std::nullopt};
}

}  // namespace karvola
