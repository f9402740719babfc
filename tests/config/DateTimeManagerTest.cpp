#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "config/DateTimeManager.h"
#include "support/FixedClock.h"
#include "support/ScopedTimeZone.h"

namespace karvola {
namespace {

using testing::FixedClock;
using testing::ScopedTimeZone;

struct fields_t {
    int year, month, day, hour, minute, second, millisecond;
};

DateTimeManager make(const fields_t& f) {
    DateTimeManager value;
    value.SetYear(static_cast<std::int16_t>(f.year));
    value.SetMonth(static_cast<std::int16_t>(f.month));
    value.SetDay(static_cast<std::int16_t>(f.day));
    value.SetHour(static_cast<std::int16_t>(f.hour));
    value.SetMinute(static_cast<std::int16_t>(f.minute));
    value.SetSecond(static_cast<std::int16_t>(f.second));
    value.SetMillisecond(static_cast<std::int16_t>(f.millisecond));
    return value;
}

void expectFields(const DateTimeManager& value, const fields_t& f) {
    EXPECT_EQ(value.year(), f.year);
    EXPECT_EQ(value.month(), f.month);
    EXPECT_EQ(value.day(), f.day);
    EXPECT_EQ(value.hour(), f.hour);
    EXPECT_EQ(value.minute(), f.minute);
    EXPECT_EQ(value.second(), f.second);
    EXPECT_EQ(value.millisecond(), f.millisecond);
}

// The message of the logic error the call throws, or "no error".
template <typename Call>
std::string errorOf(Call call) {
    try {
        call();
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

struct UnixCase {
    fields_t fields;
    std::uint32_t unixTime;
};

TEST(DateTimeManagerTest, ConvertsCalendarFieldsToUnixTime) {
    const UnixCase cases[] = {
        {{1970, 1, 1, 0, 0, 0, 0}, 0U},
        {{1970, 1, 2, 0, 0, 0, 0}, 86400U},
        {{2009, 4, 7, 0, 0, 0, 0}, 1239062400U},
        {{2009, 4, 7, 9, 5, 30, 0}, 1239095130U},
        {{2000, 2, 29, 12, 0, 0, 0}, 951825600U},  // a leap day of a century divisible by 400
        {{2100, 3, 1, 0, 0, 0, 0}, 4107542400U},   // 2100 has no 29 February
        {{2038, 1, 19, 3, 14, 7, 0}, 2147483647U},
        {{2038, 1, 19, 3, 14, 8, 0}, 2147483648U},  // past the signed range: negative as int32
        {{2106, 2, 7, 6, 28, 15, 0}, 4294967295U},  // the last representable second
        // Milliseconds round to the nearest second.
        {{2009, 4, 7, 9, 5, 30, 499}, 1239095130U},
        {{2009, 4, 7, 9, 5, 30, 501}, 1239095131U},
        {{2009, 12, 31, 23, 59, 59, 999}, 1262304000U},  // into the next day and year
        // Outside the 32-bit unsigned range the nearest end, so dates keep their order.
        {{1969, 12, 31, 23, 59, 59, 0}, 0U},
        {{1900, 1, 1, 0, 0, 0, 0}, 0U},
        {{2106, 2, 7, 6, 28, 16, 0}, 4294967295U},
        {{9999, 12, 31, 23, 59, 59, 999}, 4294967295U},
    };
    for (const UnixCase& c : cases) {
        SCOPED_TRACE(make(c.fields).FormatDateTime());
        EXPECT_EQ(static_cast<std::uint32_t>(make(c.fields).ToUnixTime()), c.unixTime);
    }
}

TEST(DateTimeManagerTest, RejectsFieldsThatAreNoCalendarDateOrTime) {
    const fields_t cases[] = {
        {0, 0, 0, 0, 0, 0, 0},      // a default-constructed value
        {2009, 2, 31, 0, 0, 0, 0},  // 31/02/2009 as SetFromText reads it
        {2009, 2, 29, 0, 0, 0, 0},  // not a leap year
        {2100, 2, 29, 0, 0, 0, 0},  // a century that is not a leap year
        {2009, 4, 31, 0, 0, 0, 0},  // a month of 30 days
        {2009, 13, 1, 0, 0, 0, 0}, {2009, 0, 1, 0, 0, 0, 0},  {2009, -1, 1, 0, 0, 0, 0},   {2009, 4, 0, 0, 0, 0, 0},
        {2009, 4, -7, 0, 0, 0, 0}, {0, 4, 7, 0, 0, 0, 0},     {-2009, 4, 7, 0, 0, 0, 0},   {2009, 4, 7, 24, 0, 0, 0},
        {2009, 4, 7, 0, 60, 0, 0}, {2009, 4, 7, 0, 0, 60, 0}, {2009, 4, 7, 0, 0, 0, 1000}, {2009, 4, 7, -1, 0, 0, 0},
        {2009, 4, 7, 0, 0, 0, -1},
    };
    for (const fields_t& c : cases) {
        const DateTimeManager value = make(c);
        SCOPED_TRACE(value.FormatDateTime() + ":" + std::to_string(c.second) + "." + std::to_string(c.millisecond));
        EXPECT_EQ(errorOf([&] { (void)value.ToUnixTime(); }), "Error : Incorrect date format");
    }
}

TEST(DateTimeManagerTest, AcceptsTheLastDayOfAMonthAndLeapDays) {
    const fields_t cases[] = {
        {2008, 2, 29, 23, 59, 59, 0}, {2000, 2, 29, 0, 0, 0, 0},  {2009, 1, 31, 0, 0, 0, 0},
        {2009, 4, 30, 0, 0, 0, 0},    {2009, 12, 31, 0, 0, 0, 0},
    };
    for (const fields_t& c : cases) {
        const DateTimeManager value = make(c);
        SCOPED_TRACE(value.FormatDate());
        EXPECT_EQ(errorOf([&] { (void)value.ToUnixTime(); }), "no error");
    }
}

TEST(DateTimeManagerTest, ConvertsUnixTimeToCalendarFields) {
    const UnixCase cases[] = {
        {{1970, 1, 1, 0, 0, 0, 0}, 0U},
        {{2009, 4, 7, 0, 0, 0, 0}, 1239062400U},
        {{2009, 4, 7, 9, 5, 30, 0}, 1239095130U},
        {{2000, 2, 29, 12, 0, 0, 0}, 951825600U},
        {{2009, 12, 31, 23, 59, 59, 0}, 1262303999U},
        // Read as unsigned: the high bit is a date after 2038, not one before 1970.
        {{2038, 1, 19, 3, 14, 8, 0}, 2147483648U},
        {{2106, 2, 7, 6, 28, 15, 0}, 4294967295U},
    };
    for (const UnixCase& c : cases) {
        SCOPED_TRACE(c.unixTime);
        DateTimeManager value = make({1, 2, 3, 4, 5, 6, 7});
        value.SetFromUnixTime(c.unixTime);
        expectFields(value, c.fields);
        expectFields(DateTimeManager(c.unixTime), c.fields);
    }
    EXPECT_EQ(DateTimeManager(1239062400U).FormatDateTime(), "07/04/2009, 0:00");
}

TEST(DateTimeManagerTest, UnixTimeSurvivesARoundTripThroughTheFields) {
    // A prime stride visits every time of day and every part of the calendar up to 2106.
    for (std::uint64_t unixTime = 0; unixTime <= 0xFFFFFFFFULL; unixTime += 1000003ULL) {
        const DateTimeManager value(static_cast<std::uint32_t>(unixTime));
        ASSERT_EQ(static_cast<std::uint32_t>(value.ToUnixTime()), unixTime) << value.FormatDateTime();
    }
    EXPECT_EQ(static_cast<std::uint32_t>(DateTimeManager(0xFFFFFFFFU).ToUnixTime()), 0xFFFFFFFFU);
}

struct TextCase {
    const char* text;
    int day, month, year;
};

TEST(DateTimeManagerTest, ReadsDayMonthYearText) {
    const TextCase cases[] = {
        {"07/04/2009", 7, 4, 2009},  {"07.04.2009", 7, 4, 2009},  // the separators are not looked at
        {"07-04-2009", 7, 4, 2009},  {"07x04y2009", 7, 4, 2009},
        {"31/02/2009", 31, 2, 2009},  // ranges are the conversion's business
        {"+7/+4/+209", 7, 4, 209},    // a sign may lead each piece
        {"-1/00/0000", -1, 0, 0},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        DateTimeManager value = make({1, 2, 3, 4, 5, 6, 7});
        value.SetFromText(c.text);
        expectFields(value, {c.year, c.month, c.day, 0, 0, 0, 0});
    }
}

TEST(DateTimeManagerTest, RejectsTextThatIsNoDayMonthYear) {
    const char* const cases[] = {
        "7/4/2009",   "07/04/09",   "",           "07/04/2009 ", "aa/04/2009", "07/aa/2009", "07/04/20a9",
        " 7/04/2009",  // blanks are no digits, before or after
        "7 /04/2009", "07/04/ 209", "+ /04/2009", "- /04/2009",  "+-/04/2009", "07/04/--09", "07/04/0x10",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        DateTimeManager value;
        EXPECT_EQ(errorOf([&] { value.SetFromText(text); }), "Error : Incorrect date format");
    }
}

TEST(DateTimeManagerTest, FailedTextKeepsTheFieldsReadBeforeTheFailure) {
    // The year is read first, then the month, then the day; the time is reset only on success.
    struct Case {
        const char* text;
        fields_t after;
    };
    const Case cases[] = {
        {"aa/04/2009", {2009, 4, 3, 4, 5, 6, 7}},
        {"07/aa/2009", {2009, 2, 3, 4, 5, 6, 7}},
        {"07/04/aaaa", {1, 2, 3, 4, 5, 6, 7}},
        {"07/04/209", {1, 2, 3, 4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        DateTimeManager value = make({1, 2, 3, 4, 5, 6, 7});
        EXPECT_THROW(value.SetFromText(c.text), std::logic_error);
        expectFields(value, c.after);
    }
}

TEST(DateTimeManagerTest, FormatsDateAndTime) {
    struct Case {
        fields_t fields;
        const char* date;
        const char* dateTime;
    };
    const Case cases[] = {
        {{2010, 3, 5, 0, 0, 0, 0}, "05/03/2010", "05/03/2010, 0:00"},
        {{2009, 4, 7, 9, 5, 59, 999}, "07/04/2009", "07/04/2009, 9:05"},
        {{1999, 12, 31, 23, 59, 0, 0}, "31/12/1999", "31/12/1999, 23:59"},
        {{999, 10, 10, 10, 10, 0, 0}, "10/10/999", "10/10/999, 10:10"},  // no leading zeros in the year
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        EXPECT_EQ(make(c.fields).FormatDate(), c.date);
        EXPECT_EQ(make(c.fields).FormatDateTime(), c.dateTime);
    }
}

TEST(DateTimeManagerTest, ReadsTheTextItFormats) {
    DateTimeManager value;
    value.SetFromText(make({2010, 3, 5, 12, 0, 0, 0}).FormatDate());
    expectFields(value, {2010, 3, 5, 0, 0, 0, 0});
}

TEST(DateTimeManagerTest, SetNowReadsTheLocalClock) {
    struct Case {
        const char* zone;
        fields_t expected;
    };
    // 2009-04-07 09:05:30 UTC, in summer time for Central Europe and New York.
    const Case cases[] = {
        {"UTC0", {2009, 4, 7, 9, 5, 30, 0}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", {2009, 4, 7, 11, 5, 30, 0}},
        {"EST5EDT,M3.2.0,M11.1.0", {2009, 4, 7, 5, 5, 30, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        const ScopedTimeZone zone(c.zone);
        DateTimeManager value = make({1, 2, 3, 4, 5, 6, 7});
        value.SetNow(FixedClock(1239095130));
        expectFields(value, c.expected);
    }
}

}  // namespace
}  // namespace karvola
