#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ContentFolder.h"
#include "KarvolaService.h"
#include "RequestLog.h"
#include "UpcomingsReply.h"

namespace karvola::service {
namespace {

TEST(ListenAddress, ReadsAddressAndPort) {
    struct Case {
        const char* text;
        std::optional<ListenAddress> address;
    };
    const Case cases[] = {
        {"127.0.0.1:8470", ListenAddress{"127.0.0.1", 8470}},
        {"0.0.0.0:0", ListenAddress{"0.0.0.0", 0}},
        {"localhost:65535", ListenAddress{"localhost", 65535}},
        {"[::1]:80", ListenAddress{"::1", 80}},
        {"::1:80", std::nullopt},
        {"127.0.0.1", std::nullopt},
        {":8470", std::nullopt},
        {"127.0.0.1:", std::nullopt},
        {"127.0.0.1:65536", std::nullopt},
        {"127.0.0.1:-1", std::nullopt},
        {"127.0.0.1:80x", std::nullopt},
        {"127.0.0.1: 80", std::nullopt},
        {"[]:80", std::nullopt},
        {"host name:80", std::nullopt},
        {"a/b:80", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto parsed = ListenAddress::parse(c.text);
        ASSERT_EQ(parsed.has_value(), c.address.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->host, c.address->host) << c.text;
            EXPECT_EQ(parsed->port, c.address->port) << c.text;
        }
    }
    EXPECT_TRUE(ListenAddress::parse("127.0.0.2:1")->isLoopback());
    EXPECT_TRUE(ListenAddress::parse("[::1]:1")->isLoopback());
    EXPECT_FALSE(ListenAddress::parse("0.0.0.0:1")->isLoopback());
}

TEST(IdentityKeys, OneKeyALineWithoutCommentsOrBlanks) {
    const auto keys = ParseIdentityKeys("# a comment\r\ndemo\r\n\r\n  spaced  \n\tx-1\n#not\nlast");
    EXPECT_EQ(keys, (std::set<std::string, std::less<>>{"demo", "spaced", "x-1", "last"}));
    EXPECT_TRUE(ParseIdentityKeys("").empty());
}

TEST(UpcomingsReply, FramesTheStatusTheInformationAndTheEncodedDocument) {
    EXPECT_EQ(UpcomingsReply("OK", "info", "\xFB\xFF"),
              "[MESSAGE]OK[/MESSAGE][ADDITIONAL_INFO]info[/ADDITIONAL_INFO][DATA]-_8=[/DATA]");
    EXPECT_EQ(UpcomingsRefusal(kUnknownIdentityKey),
              "[MESSAGE]Error : Unknown identity key[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA][/DATA]");
}

TEST(RequestLog, MakesAClientsTextSafeForOneLine) {
    struct Case {
        std::string text;
        std::string printable;
    };
    const Case cases[] = {
        {"/referals.txt", "/referals.txt"},
        {"a\"b\\c", "a\\x22b\\x5Cc"},
        {std::string("\r\n\0\x7F\xE9", 5), "\\x0D\\x0A\\x00\\x7F\\xE9"},
        {std::string(250, 'x'), std::string(200, 'x') + "..."},
    };
    for (const auto& c : cases) EXPECT_EQ(RequestLog::Printable(c.text), c.printable);
}

}  // namespace
}  // namespace karvola::service
