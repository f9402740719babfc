#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karvola {

// Where the local karvola-service listens unless told otherwise.
inline constexpr std::string_view kDefaultServiceHost = "127.0.0.1:8470";

// The web service the program talks to, as "HOST[:PORT]": the text every
// exchange shows on the terminal and puts after "http://" in its URLs. Only a
// host and a port get through parse(), so nothing else (a scheme, a path, user
// information) can be smuggled into the URLs built from it.
class ServiceHost final {
public:
    // A DNS name, an IPv4 address or a bracketed IPv6 literal ("[::1]"), with an
    // optional ":PORT" (1..65535); nothing when the text is anything else.
    static std::optional<ServiceHost> parse(std::string_view text);
    // Why the text is not a HOST[:PORT], in a few words; nothing when it is one.
    static std::optional<std::string> findFault(std::string_view text);
    static ServiceHost defaultHost();

    // The text as written.
    [[nodiscard]] const std::string& name() const { return m_name; }
    // "http://" + name + path; the path starts with '/'.
    [[nodiscard]] std::string url(std::string_view path) const;

    friend bool operator==(const ServiceHost&, const ServiceHost&) = default;

private:
    explicit ServiceHost(std::string name) : m_name(std::move(name)) {}

    std::string m_name;
};

// The service host a front end uses, with the warning it prints, if any.
struct ServiceHostChoice {
    ServiceHost host = ServiceHost::defaultHost();
    std::optional<std::string> warning;
};

// The --service option's value wins, else the KARVOLA_SERVICE_HOST environment
// value when it is set and not empty, else the default. A wrong option value
// throws std::invalid_argument with the message to report; a wrong environment
// value gives the default and a warning, since the user may not know it is set.
ServiceHostChoice ChooseServiceHost(const std::optional<std::string>& option, const char* environment);

}  // namespace karvola
