#include <gtest/gtest.h>

#include <string>

#include "common/Base64.h"

namespace karvola {
namespace {

using namespace std::string_literals;

TEST(Base64Url, EncodesWithTheUrlSafeAlphabetAndPadding) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        // 0xFB 0xFF gives "+/" in the standard alphabet.
        {"\xFB\xFF\xBF", "-_-_"},
        {"\0\r\n"s, "AA0K"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeBase64Url(c.bytes), c.text) << c.text;
        EXPECT_EQ(DecodeBase64Url(c.text), c.bytes) << c.text;
    }
}

TEST(Base64Url, DecodingStopsAtPaddingOrAForeignCharacter) {
    struct Case {
        const char* text;
        std::string bytes;
    };
    const Case cases[] = {
        {"Zm9v=Zm9v", "foo"}, {"Zm9v+Zm9v", "foo"},                       // standard alphabet: stops at "+"
        {"Zm9v/Zm9v", "foo"}, {"Zm9v\r\nZm9v", "foo"}, {"Zm9vY", "foo"},  // a single leftover character gives nothing
        {"Zm9vYm", "foob"},                                               // two give one byte, three give two
        {"Zm9vYmE", "fooba"}, {" Zm9v", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeBase64Url(c.text), c.bytes) << c.text;
}

TEST(Base64Url, EveryByteValueSurvivesTheRoundTrip) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    for (std::size_t length = 0; length <= bytes.size(); length += 37) {
        const std::string part = bytes.substr(0, length);
        EXPECT_EQ(DecodeBase64Url(EncodeBase64Url(part)), part) << length;
    }
}

}  // namespace
}  // namespace karvola
