#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "database/ClosingOdds.h"

namespace karvola {
namespace {

constexpr std::string_view kHeader = "Karvola closing odds 1\r\n";

// Each text on a line of its own, CR LF ended.
std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) text.append(line).append("\r\n");
    return text;
}

std::string Closing(const std::string& body) {
    return std::string(kHeader) + body;
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// Eight lines: kick-off, teams, one offer, "####".
const std::string kBlock = Lines({"1700000000", "Arsenal", "Chelsea", "B365", "2.10", "3.40", "3.75", "####"});

TEST(ClosingOddsTest, RecordsReadBackAsWritten) {
    const std::vector<ClosingOddsRecord> records = {
        {1700000000,
         "Bayern M\xfcnchen",
         "K\xf6ln",
         {{"B365", "1.25", "6.50", "11.00"}, {"PS", "1.27", "6.71", "11.58"}, {"1XB", "1.3", "7", "12"}}},
        {1700003600, "Arsenal", "Chelsea", {}},
        {0, "Lazio", "Roma", {{"WH", "2.875", "3.1", "2.5"}}},
    };
    const std::string text = FormatClosingOdds(records);
    // Odds as their texts, trailing zeros kept; the match without an offer has no block.
    EXPECT_EQ(text, Closing(Lines({"1700000000", "Bayern M\xfcnchen",
                                   "K\xf6ln",    "B365",
                                   "1.25",       "6.50",
                                   "11.00",      "PS",
                                   "1.27",       "6.71",
                                   "11.58",      "1XB",
                                   "1.3",        "7",
                                   "12",         "####",
                                   "0",          "Lazio",
                                   "Roma",       "WH",
                                   "2.875",      "3.1",
                                   "2.5",        "####"})));

    const std::vector<ClosingOddsRecord> written = {records[0], records[2]};
    for (const std::string& variant : {text, WithoutCarriageReturns(text)}) {
        const ClosingOddsReading reading = ReadClosingOdds(variant);
        EXPECT_TRUE(reading.ok()) << reading.error;
        EXPECT_EQ(reading.records, written);
    }
    EXPECT_EQ(ReadClosingOdds(FormatClosingOdds({})).records, std::vector<ClosingOddsRecord>{});
}

TEST(ClosingOddsTest, BadTextIsRefusedWithItsLine) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t line;
        const char* reason;
    };
    const std::string notOurs = "not closing odds: the first line must be \"Karvola closing odds 1\"";
    const Case cases[] = {
        {"an empty file", "", 1, notOurs.c_str()},
        {"a data source", kBlock, 1, notOurs.c_str()},
        {"a later version", Lines({"Karvola closing odds 2"}) + kBlock, 1,
         "\"2\" is no closing odds version this program reads"},
        {"a date for a kick-off", Closing(Lines({"15/03/2024", "Arsenal"})), 2,
         "kick-off \"15/03/2024\" is not a whole number"},
        {"a negative kick-off", Closing(Lines({"-3600", "Arsenal"})), 2, "kick-off \"-3600\" is not a whole number"},
        {"a kick-off past 32 bits", Closing(Lines({"4294967296", "Arsenal"})), 2,
         "kick-off \"4294967296\" is outside 0 to 4294967295"},
        {"a kick-off past 64 bits", Closing(Lines({"99999999999999999999"})), 2,
         "kick-off \"99999999999999999999\" is outside 0 to 4294967295"},
        {"a blank line between matches", Closing(kBlock + "\r\n" + kBlock), 10, "kick-off \"\" is not a whole number"},
        {"cut after the home team", Closing(Lines({"1700000000", "Arsenal"})), 4,
         "the file ends before the away team of the match of line 2"},
        {"cut inside an offer", Closing(kBlock + Lines({"1700000000", "Arsenal", "Chelsea", "B365", "2.10"})), 15,
         "the file ends before the B365 draw odds of the match of line 10"},
        {"no \"####\" at the end", Closing(Lines({"1700000000", "Arsenal", "Chelsea", "B365", "2.10", "3.40", "3.75"})),
         9, "the file ends before the \"####\" of the match of line 2"},
        {"no \"####\" before the next match",
         Closing(Lines({"1700000000", "Arsenal", "Chelsea", "B365", "2.10", "3.40", "3.75"}) + kBlock), 9,
         "no \"####\" ends the match of line 2"},
        {"an empty home team", Closing(Lines({"1700000000", "", "Chelsea"})), 3, "the home team is empty"},
        {"a lone carriage return in a team", Closing(Lines({"1700000000", "Arsenal", "Chel\rsea"})), 4,
         "the away team holds a line break"},
        {"an empty bookmaker code", Closing(Lines({"1700000000", "Arsenal", "Chelsea", ""})), 5,
         "the bookmaker code is empty"},
        {"a match without an offer", Closing(Lines({"1700000000", "Arsenal", "Chelsea", "####"})), 5,
         "the match of line 2 has no offer"},
        {"LF only, a fault in the second match",
         WithoutCarriageReturns(Closing(kBlock + Lines({"1700000000", "Arsenal", "Chelsea", "PS", "2.5", "", "3"}))),
         15, "PS draw odds \"\" are no decimal number above 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClosingOddsReading reading = ReadClosingOdds(c.text);
        EXPECT_FALSE(reading.ok());
        EXPECT_EQ(reading.errorLine, c.line);
        EXPECT_EQ(reading.error, "line " + std::to_string(c.line) + ": " + c.reason);
        EXPECT_TRUE(reading.records.empty());
    }
}

TEST(ClosingOddsTest, OddsMustBeDecimalNumbersAboveZero) {
    for (const char* odds : {"2,10", "0", "0.00", ".5", "3.", "1.2.3", "-2.5", "+2.5", "1e3", " 2.5", "2.5 ", "inf"}) {
        SCOPED_TRACE(odds);
        const ClosingOddsReading reading =
            ReadClosingOdds(Closing(Lines({"1700000000", "Arsenal", "Chelsea", "B365", odds, "3.40", "3.75", "####"})));
        EXPECT_EQ(reading.error, "line 6: B365 home odds \"" + std::string(odds) + "\" are no decimal number above 0");
    }
    for (const char* odds : {"1.01", "0.5", "007", "1000"}) {
        const std::string text = Closing(Lines({"1700000000", "Arsenal", "Chelsea", "B365", "2", odds, "3", "####"}));
        EXPECT_TRUE(ReadClosingOdds(text).ok()) << odds;
    }
}

// Whatever is written reads back: what the reader would refuse is never written.
TEST(ClosingOddsTest, UnreadableRecordsAreNotWritten) {
    struct Case {
        ClosingOddsRecord record;
        const char* message;
    };
    const ClosingOffer offer{"B365", "2.10", "3.40", "3.75"};
    const Case cases[] = {
        {{-1, "Arsenal", "Chelsea", {offer}},
         "Closing odds of \"Arsenal\" v \"Chelsea\": kick-off -1 is outside 0 to 4294967295"},
        {{std::int64_t{1} << 32, "Arsenal", "Chelsea", {offer}},
         "Closing odds of \"Arsenal\" v \"Chelsea\": kick-off 4294967296 is outside 0 to 4294967295"},
        {{0, "Arsenal", "Chelsea\r\n", {offer}},
         "Closing odds of \"Arsenal\" v \"Chelsea\r\n\": the away team holds a line break"},
        {{0, "", "Chelsea", {offer}}, "Closing odds of \"\" v \"Chelsea\": the home team is empty"},
        {{0, "Arsenal", "Chelsea", {offer, {"####", "2", "3", "4"}}},
         "Closing odds of \"Arsenal\" v \"Chelsea\": bookmaker code \"####\" would end the match"},
        {{0, "Arsenal", "Chelsea", {{"365", "2", "3", "4"}}},
         "Closing odds of \"Arsenal\" v \"Chelsea\": bookmaker code \"365\" would read as a kick-off"},
        {{0, "Arsenal", "Chelsea", {{"PS", "2", "3", "4,5"}}},
         "Closing odds of \"Arsenal\" v \"Chelsea\": PS away odds \"4,5\" are no decimal number above 0"},
    };
    for (const Case& c : cases) {
        try {
            FormatClosingOdds({c.record});
            ADD_FAILURE() << "written: " << c.message;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(ClosingOddsTest, IndexFindsEachMatchByItsOwnKey) {
    const auto offers = [](const char* home) { return std::vector<ClosingOffer>{{"B365", home, "3.4", "3.75"}}; };
    // Pairs whose texts run together alike: kick-off into home team, home team into away team.
    const ClosingOddsIndex index({{100, "1A", "B", offers("1.1")},
                                  {1001, "A", "B", offers("1.2")},
                                  {5, "AB", "C", offers("1.3")},
                                  {5, "A", "BC", offers("1.4")},
                                  {100, "1A", "B", offers("9.9")}});
    EXPECT_EQ(index.size(), 4u);
    struct Case {
        std::int64_t kickOff;
        const char* home;
        const char* away;
        const char* homeOdds;  // nullptr: not found
    };
    const Case cases[] = {
        {100, "1A", "B", "1.1"},    // "1001AB", the first of two blocks
        {1001, "A", "B", "1.2"},    // "1001AB" too
        {5, "AB", "C", "1.3"},      // "5ABC"
        {5, "A", "BC", "1.4"},      // "5ABC" too
        {100, "B", "1A", nullptr},  // home and away swapped
        {101, "1A", "B", nullptr},  // another kick-off
        {5, "ABC", "", nullptr},    // "5ABC" once more
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kickOff) + " " + c.home + " v " + c.away);
        const std::vector<ClosingOffer>* found = index.find(c.kickOff, c.home, c.away);
        if (c.homeOdds == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(*found, offers(c.homeOdds));
        }
    }
}

}  // namespace
}  // namespace karvola
