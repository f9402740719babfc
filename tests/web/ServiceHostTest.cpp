#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "web/ServiceHost.h"

namespace karvola {
namespace {

struct ParseCase {
    std::string text;
    bool valid;
};

TEST(ServiceHostTest, AcceptsOnlyAHostAndAPort) {
    const std::string longest = std::string(63, 'a') + '.' + std::string(63, 'b') + '.' + std::string(63, 'c') + '.' +
                                std::string(61, 'd');  // 253 characters
    const std::string tooLong = longest + "d";
    const ParseCase cases[] = {
        {"127.0.0.1:8470", true},
        {"localhost", true},
        {"odds.example.org:80", true},
        {"my-host.example2.com:65535", true},
        {"HOST:1", true},
        {"[::1]", true},
        {"[::1]:8470", true},
        {"[2001:db8::ff00:42:8329]:443", true},
        {"0.0.0.0", true},
        {"255.255.255.255:1", true},
        {longest, true},
        {tooLong, false},
        {std::string(64, 'a') + ".com", false},  // a label over 63
        {"", false},
        {"http://127.0.0.1:8470", false},
        {"127.0.0.1:8470/", false},
        {"host/path", false},
        {"user@host", false},
        {"host?x=1", false},
        {"host#top", false},
        {"host name", false},
        {" host", false},
        {"host\n", false},
        {std::string("host\0x", 6), false},
        {"h\xC3\xB6st", false},  // non-ASCII
        {"host%2F", false},
        {"host_name", false},
        {"host:", false},
        {":8470", false},
        {"host:0", false},
        {"host:65536", false},
        {"host:99999999999999999999", false},
        {"host:+80", false},
        {"host:-1", false},
        {"host: 80", false},
        {"host:8o", false},
        {"host:80:81", false},
        {"::1", false},  // IPv6 needs brackets
        {"[::1", false},
        {"[::1]x", false},
        {"[::1]:", false},
        {"[]", false},
        {"[::1%eth0]", false},
        {"[localhost]", false},
        {"[127.0.0.1]", false},
        {"a..b", false},
        {".host", false},
        {"host.", false},
        {"-host", false},
        {"host-.com", false},
        {"256.0.0.1", false},
        {"1.2.3", false},
        {"1.2.3.4.5", false},
        {"010.0.0.1", false},  // octal to some resolvers
        {"123", false},        // 0.0.0.123 to the resolver
    };
    for (const ParseCase& testCase : cases) {
        SCOPED_TRACE(testCase.text);
        const std::optional<ServiceHost> host = ServiceHost::parse(testCase.text);
        EXPECT_EQ(host.has_value(), testCase.valid);
        EXPECT_EQ(ServiceHost::findFault(testCase.text).has_value(), !testCase.valid);
        if (host) {
            EXPECT_EQ(host->name(), testCase.text);
        }
    }
}

TEST(ServiceHostTest, BuildsUrlsAfterHttp) {
    EXPECT_EQ(ServiceHost::defaultHost().name(), "127.0.0.1:8470");
    EXPECT_EQ(ServiceHost::defaultHost().url("/odds"), "http://127.0.0.1:8470/odds");
    EXPECT_EQ(ServiceHost::parse("[::1]:9000")->url("/a?b=1"), "http://[::1]:9000/a?b=1");
}

struct ChoiceCase {
    const char* label;
    std::optional<std::string> option;
    const char* environment;
    std::string expectedHost;
    bool warns;
};

TEST(ServiceHostTest, OptionWinsOverEnvironmentOverDefault) {
    const ChoiceCase cases[] = {
        {"nothing given", std::nullopt, nullptr, "127.0.0.1:8470", false},
        {"empty environment", std::nullopt, "", "127.0.0.1:8470", false},
        {"environment", std::nullopt, "odds.example.org:81", "odds.example.org:81", false},
        {"option", "[::1]:82", nullptr, "[::1]:82", false},
        {"option over environment", "host-a:83", "host-b:84", "host-a:83", false},
        {"option over a wrong environment", "host-a:83", "not a host", "host-a:83", false},
        {"wrong environment", std::nullopt, "http://odds.example.org", "127.0.0.1:8470", true},
    };
    for (const ChoiceCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        const ServiceHostChoice choice = ChooseServiceHost(testCase.option, testCase.environment);
        EXPECT_EQ(choice.host.name(), testCase.expectedHost);
        EXPECT_EQ(choice.warning.has_value(), testCase.warns);
    }
}

TEST(ServiceHostTest, WrongEnvironmentWarnsWithTheValueAndTheDefault) {
    const ServiceHostChoice choice = ChooseServiceHost(std::nullopt, "odds\x1b[2J:80");
    ASSERT_TRUE(choice.warning.has_value());
    EXPECT_EQ(*choice.warning,
              "KARVOLA_SERVICE_HOST is not a HOST[:PORT]: \"odds\\x1B[2J:80\": it has a control character; "
              "using 127.0.0.1:8470");
}

TEST(ServiceHostTest, WrongOptionIsAnErrorEvenWithAGoodEnvironment) {
    for (const std::string& option : {std::string(), std::string("host:0"), std::string("file:///etc/passwd")}) {
        SCOPED_TRACE(option);
        try {
            ChooseServiceHost(option, "odds.example.org");
            ADD_FAILURE() << "no error";
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()).rfind("--service: \"" + option + "\" is not a HOST[:PORT]: ", 0), 0U)
                << error.what();
        }
    }
}

}  // namespace
}  // namespace karvola
