#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/FileSystem.h"
#include "common/TimeZone.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

// "2025-08-15 20:00" or "2025-08-15 20:00:59" as seconds since 1970, read by
// the C library.
std::int64_t Seconds(const char* text) {
    std::tm tm{};
    const int fields = std::sscanf(text, "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                                   &tm.tm_min, &tm.tm_sec);
    EXPECT_GE(fields, 5) << text;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    return timegm(&tm);
}

std::optional<TimeZone> Load(const char* name) {
    std::optional<TimeZone> zone = LoadSystemTimeZone(name);
    EXPECT_TRUE(zone) << name << " does not load: is tzdata installed?";
    return zone;
}

// A TZif file of our own: version 1 with 32-bit times, or 2 with an empty
// first block, the 64-bit block and the closing rule.
struct TzifFile {
    char version = '2';
    std::vector<std::int64_t> times;
    std::vector<std::uint8_t> types;
    std::vector<std::int32_t> offsets;
    std::string rule;
    // Leap second records, all zero: only their presence matters.
    std::size_t leapSeconds = 0;

    [[nodiscard]] std::string bytes() const {
        std::string out;
        const auto put = [&](std::uint64_t value, int width) {
            for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += static_cast<char>(value >> shift & 0xFF);
        };
        // One designation, the empty one, in every block.
        const auto header = [&](std::size_t leapCount, std::size_t timeCount, std::size_t typeCount) {
            out += "TZif";
            out += version;
            out.append(15, '\0');
            for (const std::size_t count :
                 {std::size_t{0}, std::size_t{0}, leapCount, timeCount, typeCount, std::size_t{1}})
                put(count, 4);
        };
        const auto block = [&](int timeSize) {
            for (const std::int64_t time : times) put(static_cast<std::uint64_t>(time), timeSize);
            for (const std::uint8_t type : types) put(type, 1);
            for (const std::int32_t offset : offsets) {
                put(static_cast<std::uint32_t>(offset), 4);
                put(0, 2);
            }
            out += '\0';
            out.append(leapSeconds * static_cast<std::size_t>(timeSize + 4), '\0');
        };
        if (version == '\0') {
            header(leapSeconds, times.size(), offsets.size());
            block(4);
            return out;
        }
        header(0, 0, 0);
        out += '\0';
        header(leapSeconds, times.size(), offsets.size());
        block(8);
        return out + '\n' + rule + '\n';
    }
};

// London's table stopping in 1996, as a slim file does.
TzifFile SlimLondon() {
    return {
        '2', {Seconds("1996-03-31 01:00"), Seconds("1996-10-27 01:00")}, {1, 0}, {0, 3600}, "GMT0BST,M3.5.0/1,M10.5.0"};
}

TEST(TimeZone, LocalTimesToUtc) {
    struct Case {
        const char* zone;
        const char* local;
        const char* utc;
    };
    const Case cases[] = {
        {"Europe/London", "2025-08-15 20:00", "2025-08-15 19:00"},
        {"Europe/London", "2025-01-10 15:00", "2025-01-10 15:00"},
        // Clocks forward at 01:00 GMT: 01:30 does not exist and is read as GMT.
        {"Europe/London", "2025-03-30 00:59", "2025-03-30 00:59"},
        {"Europe/London", "2025-03-30 01:30", "2025-03-30 01:30"},
        {"Europe/London", "2025-03-30 02:00", "2025-03-30 01:00"},
        // Clocks back at 01:00 GMT: 01:30 occurs twice, the first time on BST.
        {"Europe/London", "2025-10-26 01:30", "2025-10-26 00:30"},
        {"Europe/London", "2025-10-26 02:00", "2025-10-26 02:00"},
        {"Europe/London", "1999-08-07 15:00", "1999-08-07 14:00"},
        // British Standard Time, UTC+1 the whole year from 1968 to 1971.
        {"Europe/London", "1970-01-01 00:00", "1969-12-31 23:00"},
        {"Europe/London", "1971-12-01 12:00", "1971-12-01 12:00"},
        // Past the table, by the closing rule.
        {"Europe/London", "2090-07-01 12:00", "2090-07-01 11:00"},
        {"Europe/London", "2090-01-15 12:00", "2090-01-15 12:00"},
        {"Europe/London", "2090-03-26 01:30", "2090-03-26 01:30"},
        {"Europe/London", "2090-10-29 01:30", "2090-10-29 00:30"},
        // Summer time across the new year; clocks back at 03:00 and forward at 02:00.
        {"Australia/Sydney", "2090-01-15 12:00", "2090-01-15 01:00"},
        {"Australia/Sydney", "2090-07-15 12:00", "2090-07-15 02:00"},
        {"Australia/Sydney", "2090-04-02 02:30", "2090-04-01 15:30"},
        {"Australia/Sydney", "2090-10-01 02:30", "2090-09-30 16:30"},
        // Clocks forward at -01:00, i.e. 23:00 the day before.
        {"America/Nuuk", "2090-03-25 22:30", "2090-03-26 00:30"},
        {"America/Nuuk", "2090-03-26 00:30", "2090-03-26 01:30"},
        {"Asia/Yangon", "2090-07-01 12:00", "2090-07-01 05:30"},
    };
    for (const auto& c : cases) {
        const std::optional<TimeZone> zone = Load(c.zone);
        ASSERT_TRUE(zone);
        EXPECT_EQ(zone->toUtc(Seconds(c.local)), Seconds(c.utc)) << c.zone << ' ' << c.local;
    }
}

TEST(TimeZone, OffsetChangesOnTheSecondOfTheChange) {
    struct Case {
        const char* zone;
        const char* utc;
        std::int64_t offset;
    };
    const Case cases[] = {
        {"Europe/London", "2025-03-30 00:59:59", 0},        {"Europe/London", "2025-03-30 01:00:00", 3600},
        {"Europe/London", "2090-10-29 00:59:59", 3600},     {"Europe/London", "2090-10-29 01:00:00", 0},
        {"Australia/Sydney", "2090-04-01 15:59:59", 39600}, {"Australia/Sydney", "2090-04-01 16:00:00", 36000},
        {"Australia/Sydney", "2090-09-30 15:59:59", 36000}, {"Australia/Sydney", "2090-09-30 16:00:00", 39600},
        {"America/Nuuk", "2090-03-26 00:59:59", -7200},     {"America/Nuuk", "2090-03-26 01:00:00", -3600},
    };
    for (const auto& c : cases) {
        const std::optional<TimeZone> zone = Load(c.zone);
        ASSERT_TRUE(zone);
        EXPECT_EQ(zone->utcOffsetAt(Seconds(c.utc)), c.offset) << c.zone << ' ' << c.utc;
    }
}

TEST(TimeZone, FixedHoursAndOurOwnFiles) {
    const std::optional<TimeZone> slim = TimeZone::FromTzif(SlimLondon().bytes());
    // Version 1: 32-bit times, the first one before 1970; the last offset stays.
    const std::optional<TimeZone> old =
        TimeZone::FromTzif(TzifFile{'\0', {-86400, 86400}, {1, 0}, {-3600, 7200}, ""}.bytes());
    ASSERT_TRUE(slim);
    ASSERT_TRUE(old);
    struct Case {
        TimeZone zone;
        const char* local;
        const char* utc;
    };
    const Case cases[] = {
        {TimeZone::FixedHours(2), "2025-08-15 20:00", "2025-08-15 18:00"},
        {TimeZone::FixedHours(-5), "2025-08-15 20:00", "2025-08-16 01:00"},
        {TimeZone{}, "2025-08-15 20:00", "2025-08-15 20:00"},
        {*slim, "1996-08-01 12:00", "1996-08-01 11:00"},
        {*slim, "2025-08-15 20:00", "2025-08-15 19:00"},
        {*slim, "2025-01-10 15:00", "2025-01-10 15:00"},
        {*old, "1969-12-30 12:00", "1969-12-30 13:00"},
        {*old, "1970-01-01 12:00", "1970-01-01 10:00"},
        {*old, "2090-07-01 12:00", "2090-07-01 13:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.zone.toUtc(Seconds(c.local)), Seconds(c.utc)) << c.local;
}

TEST(TimeZone, MalformedFilesGiveNothing) {
    const std::optional<std::string> london = LocalFileSystem().readFile("/usr/share/zoneinfo/Europe/London");
    ASSERT_TRUE(london);
    ASSERT_TRUE(TimeZone::FromTzif(*london));
    // Every cut, the last line feed of the closing rule included.
    for (std::size_t length = 0; length < london->size(); ++length)
        EXPECT_FALSE(TimeZone::FromTzif(london->substr(0, length))) << length;

    const auto patched = [](std::string bytes, std::size_t at, std::string_view with) {
        std::copy(with.begin(), with.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
        return bytes;
    };
    // Our files' 64-bit header starts at 44: its transition count at 76, its type count at 80.
    const std::string slim = SlimLondon().bytes();
    TzifFile unordered = SlimLondon();
    std::swap(unordered.times[0], unordered.times[1]);
    TzifFile badType = SlimLondon();
    badType.types[1] = 2;
    TzifFile leapSeconds = SlimLondon();
    leapSeconds.leapSeconds = 1;
    TzifFile noTypes = SlimLondon();
    noTypes.times.clear();
    noTypes.types.clear();
    noTypes.offsets.clear();
    const std::string cases[] = {
        patched(*london, 0, "Tzif"),
        patched(*london, 4, "1"),
        patched(slim, 76, "\xFF\xFF\xFF\xFF"),
        patched(slim, 76, std::string("\0\0\0\7", 4)),
        patched(slim, 80, "\xFF\xFF\xFF\xFF"),
        // No line feed before the closing rule.
        patched(slim, slim.size() - SlimLondon().rule.size() - 2, "x"),
        leapSeconds.bytes(),
        unordered.bytes(),
        badType.bytes(),
        noTypes.bytes(),
        TzifFile{'2', {}, {}, {26 * 3600 + 1}, "GMT0"}.bytes(),
        // Closing rules we cannot follow.
        TzifFile{'2', {}, {}, {0}, "GMT0BST,J60,J300"}.bytes(),
        TzifFile{'2', {}, {}, {0}, "GMT0BST"}.bytes(),
        TzifFile{'2', {}, {}, {0}, "GMT0BST,M13.5.0,M10.5.0"}.bytes(),
        TzifFile{'2', {}, {}, {0}, "GMT"}.bytes(),
        TzifFile{'2', {}, {}, {0}, "GMT0 "}.bytes(),
        TzifFile{'2', {}, {}, {0}, "GMT0BST,M3.5.0,M10.5.0,M1.1.0"}.bytes(),
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_FALSE(TimeZone::FromTzif(cases[i])) << i;
}

TEST(TimeZone, LoadsOnlyNamesInsideTheZoneFolder) {
    for (const char* name : {"../etc/passwd", "Europe/../Europe/London", "/usr/share/zoneinfo/Europe/London",
                             "Europe/Nowhere", "Europe", ""})
        EXPECT_FALSE(LoadSystemTimeZone(name)) << name;
}

TEST(TimeZone, ZoneFolderFromTzdir) {
    const testing::TemporaryDirectory folder;
    std::filesystem::create_directories(folder.path() / "Test");
    std::ofstream(folder.path() / "Test/Plus3", std::ios::binary)
        << TzifFile{'2', {}, {}, {3 * 3600}, "<+03>-3"}.bytes();
    const char* previous = std::getenv("TZDIR");
    const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
    setenv("TZDIR", folder.path().c_str(), 1);
    const std::optional<TimeZone> zone = LoadSystemTimeZone("Test/Plus3");
    const bool londonFound = LoadSystemTimeZone("Europe/London").has_value();
    if (saved) {
        setenv("TZDIR", saved->c_str(), 1);
    } else {
        unsetenv("TZDIR");
    }
    ASSERT_TRUE(zone);
    EXPECT_EQ(zone->utcOffsetAt(0), 3 * 3600);
    EXPECT_FALSE(londonFound);
}

}  // namespace
}  // namespace karvola
