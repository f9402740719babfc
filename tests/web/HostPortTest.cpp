#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "web/HostPort.h"

namespace karvola {
namespace {

// What one use makes of a text: its host and port, or nothing.
struct Reading {
    bool valid = false;
    std::string host;
    std::optional<std::uint16_t> port;
};

Reading Read(const std::string& text, HostPortUse use) {
    const std::optional<HostPort> parts = ParseHostPort(text, use);
    EXPECT_EQ(FindHostPortFault(text, use).has_value(), !parts.has_value()) << text;
    if (!parts) return {};
    return {true, std::string(parts->host), parts->port};
}

// The rule of each use, one text beside the other; the full rule of a
// connection is in ServiceHostTest, of a listener in the service's tests.
TEST(HostPortTest, ConnectingAndListeningReadTheSameTextsTheirOwnWays) {
    struct Case {
        std::string text;
        Reading connect;
        Reading listen;
    };
    const Case cases[] = {
        {"odds.example.org:80", {true, "odds.example.org", 80}, {true, "odds.example.org", 80}},
        {"[::1]:8470", {true, "::1", 8470}, {true, "::1", 8470}},
        {"host:0080", {true, "host", 80}, {true, "host", 80}},
        {"host:65535", {true, "host", 65535}, {true, "host", 65535}},
        // A listener must be told its port, and may leave it to the system.
        {"host", {true, "host", std::nullopt}, {}},
        {"[::1]", {true, "::1", std::nullopt}, {}},
        {"host:0", {}, {true, "host", 0}},
        // A listener's host goes to the resolver as it stands.
        {"[127.0.0.1]:80", {}, {true, "127.0.0.1", 80}},
        {"127.1:80", {}, {true, "127.1", 80}},
        {"localhost.:80", {}, {true, "localhost.", 80}},
        {"a..b:80", {}, {true, "a..b", 80}},
        {"[x]:80", {}, {true, "x", 80}},
        // Refused by both.
        {"", {}, {}},
        {"host:", {}, {}},
        {":80", {}, {}},
        {"[]:80", {}, {}},
        {"host:65536", {}, {}},
        {"host:-0", {}, {}},
        {"host:+80", {}, {}},
        {"host_name:80", {}, {}},
        {"::1:80", {}, {}},
        {"[::1]x:80", {}, {}},
        {"http://host:80", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (const auto& [use, expected] :
             {std::pair(HostPortUse::Connect, c.connect), {HostPortUse::Listen, c.listen}}) {
            const Reading read = Read(c.text, use);
            EXPECT_EQ(read.valid, expected.valid) << (use == HostPortUse::Listen ? "listen" : "connect");
            EXPECT_EQ(read.host, expected.host);
            EXPECT_EQ(read.port, expected.port);
        }
    }
}

TEST(HostPortTest, FaultsNameWhatIsWrong) {
    struct Case {
        const char* text;
        HostPortUse use;
        const char* fault;
    };
    const Case cases[] = {
        {"host", HostPortUse::Listen, "the port is missing"},
        {"host:0", HostPortUse::Connect, "the port must be 1 to 65535"},
        {"host:65536", HostPortUse::Listen, "the port must be 0 to 65535"},
        {"host_name:80", HostPortUse::Listen, "the character '_' is not allowed"},
        {"127.1:80", HostPortUse::Connect, "not an IPv4 address"},
        {"[x]:80", HostPortUse::Connect, "not an IPv6 address"},
    };
    for (const Case& c : cases) EXPECT_EQ(FindHostPortFault(c.text, c.use), c.fault) << c.text;
}

}  // namespace
}  // namespace karvola
