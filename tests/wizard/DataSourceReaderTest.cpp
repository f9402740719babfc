#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "wizard/DataSourceReader.h"

namespace karvola {
namespace {

// One record: start time, teams, competition, country, goals, one offer, end.
std::string Record(std::string_view home, std::string_view odds2) {
    return "1239062400\r\n" + std::string(home) +
           "\r\nChelsea\r\nPremier League\r\nEngland\r\n2\r\n1\r\nB365\r\n1.5\r\n4\r\n" + std::string(odds2) +
           "\r\n####\r\n";
}

// Every text of a record becomes a line of the data base, so a line feed inside
// one would split the base's record; such a file is refused where the line is.
TEST(DataSourceReaderTest, LineFeedInsideALineIsRefusedWithItsLineNumber) {
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"in a team", Record("Man\nUnited", "7.5"),
         "Invalid data source file: line 2 holds a line feed without a carriage return"},
        {"in the odds of the second record", Record("Arsenal", "7.5") + Record("Arsenal", "7\n3.0"),
         "Invalid data source file: line 23 holds a line feed without a carriage return"},
        {"before the end mark", Record("Arsenal", "7.5\n####"),
         "Invalid data source file: line 11 holds a line feed without a carriage return"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataSourceReader reader(c.text);
        try {
            while (reader.ReadRecord()) {
            }
            ADD_FAILURE() << "no error";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
}

TEST(DataSourceReaderTest, CarriageReturnInsideALineStaysInTheText) {
    const std::string text = Record("Man\rUnited", "7.5");
    DataSourceReader reader(text);
    ASSERT_TRUE(reader.ReadRecord());
    EXPECT_EQ(reader.record().team1, "Man\rUnited");
    EXPECT_FALSE(reader.ReadRecord());
}

}  // namespace
}  // namespace karvola
