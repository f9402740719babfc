#include <gtest/gtest.h>

#include <string>

#include "common/TextEncoding.h"

namespace karvola {
namespace {

using namespace std::string_literals;

TEST(TextEncoding, TellsWholeUtf8FromOtherBytes) {
    struct Case {
        std::string text;
        bool utf8;
    };
    const Case cases[] = {
        {"", true},
        {"plain\0ASCII"s, true},
        {"K\xC3\xB6ln \xE2\x82\xAC \xF4\x8F\xBF\xBF", true},  // two, three and four bytes, up to U+10FFFF
        {"\xB6", false},                                      // a continuation byte alone
        {"K\xC3", false},                                     // cut short by the end
        {"\xE2\x82", false},
        {"\xC3o", false},             // cut short by the next character
        {"\xC0\xAF", false},          // an overlong '/'
        {"\xF5\x80\x80\x80", false},  // beyond U+10FFFF
        {"\xF6ln", false},            // Latin-1
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.utf8) << ::testing::PrintToString(c.text);
}

// Each character becomes one byte: itself up to U+00FF, else its look-alike
// where Windows-1252 has the character, else '?', which a stray byte also
// becomes, byte by byte.
TEST(TextEncoding, Utf8BecomesLatin1WithQuestionMarksForTheRest) {
    struct Case {
        std::string utf8;
        std::string latin1;
        bool complete;
    };
    const Case cases[] = {
        {"", "", true},
        {"plain\0ASCII"s, "plain\0ASCII"s, true},
        {"K\xC3\xB6ln", "K\xF6ln", true},
        {"\xC2\x80\xC3\xBF", "\x80\xFF", true},           // the first and the last character above ASCII
        {"Be\xC5\x9Fikta\xC5\x9F", "Be?ikta?", false},    // U+015F
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", "EUR?", false},  // a look-alike, and one '?' for four bytes
        {"King\xE2\x80\x99s \xE2\x80\x9C"
         "A\xE2\x80\x9D",
         "King's \"A\"", false},
        {"A\x80-b", "A?-b", false},              // a continuation byte alone
        {"K\xC3\xB6ln\xC3", "K\xF6ln?", false},  // cut short by the end
        {"\xC3o", "?o", false},                  // cut short by the next character, which stays
        {"\xC0\xAF", "??", false},
        {"\xF6ln", "?ln", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.utf8));
        std::string out = "before|";
        EXPECT_EQ(AppendUtf8AsLatin1(out, c.utf8), c.complete);
        EXPECT_EQ(out, "before|" + c.latin1);
    }
}

// Windows-1252 is Latin-1 but for 0x80 to 0x9F, which hold printable characters
// (football-data's own files write "King\x92s Lynn") rather than control codes.
TEST(TextEncoding, Windows1252BecomesLatin1WithLookAlikes) {
    struct Case {
        std::string windows1252;
        std::string latin1;
        bool complete;
    };
    const Case cases[] = {
        {"K\xF6ln \xA0\xFF", "K\xF6ln \xA0\xFF", true},
        {"King\x92s Lynn", "King's Lynn", false},
        {"\x80\x85\x8A\x8C\x96\x97\x99\x9F", "EUR...SOE--TMY", false},
        {"\x81\x8D\x8F\x90\x9D", "?????", false},  // undefined in Windows-1252
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.windows1252));
        std::string out = "before|";
        EXPECT_EQ(AppendWindows1252AsLatin1(out, c.windows1252), c.complete);
        EXPECT_EQ(out, "before|" + c.latin1);
    }
}

}  // namespace
}  // namespace karvola
