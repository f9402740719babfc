#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace karvola {

// A zone's offsets from UTC over time, read from the system's compiled time zone
// data (TZif files): the standard library we build with has no tzdb. All times
// are seconds since 1970-01-01 00:00; offsets are seconds east of UTC.
class TimeZone {
public:
    // UTC.
    TimeZone() = default;

    // A constant offset, for a user who states one.
    [[nodiscard]] static TimeZone FixedHours(int hours);

    // The content of a TZif file, version 1 to 4; the 64-bit block when there is
    // one. The closing rule ("GMT0BST,M3.5.0/1,M10.5.0") governs the times after
    // the table, which may stop early (a "slim" file) or in 2037. Nothing for a
    // truncated or inconsistent file, for a closing rule other than the usual
    // "Mm.w.d" form, and for a file with leap seconds (the "right/" zones),
    // whose times are not plain UTC seconds. A version 1 file keeps its last
    // offset after its table.
    [[nodiscard]] static std::optional<TimeZone> FromTzif(std::string_view bytes);

    [[nodiscard]] std::int64_t utcOffsetAt(std::int64_t utcSeconds) const;

    // Local wall-clock seconds (counted as if they were UTC) to UTC. A local time
    // that occurs twice (clocks going back) gives the earlier instant, still on
    // summer time; one that never occurs (clocks going forward) is read with the
    // offset before the change, so 01:30 on London's spring-forward day is 01:30
    // GMT. Assumes the zone's offset changes at most once in any 52 hours.
    [[nodiscard]] std::int64_t toUtc(std::int64_t localSeconds) const;

private:
    // Mm.w.d/time: day d (0 = Sunday) of week w (5 = the last) of month m, at a
    // local time that may fall outside the day.
    struct DayRule {
        int month = 1;
        int week = 1;
        int weekday = 0;
        std::int64_t time = 2 * 3600;
    };
    struct SummerTime {
        std::int64_t offset = 0;
        DayRule start;
        DayRule end;
    };
    struct ClosingRule {
        std::int64_t standardOffset = 0;
        std::optional<SummerTime> summer;
    };

    [[nodiscard]] static std::optional<ClosingRule> ParseClosingRule(std::string_view text);
    [[nodiscard]] static std::int64_t OffsetUnder(const ClosingRule& rule, std::int64_t utcSeconds);

    std::int64_t m_initialOffset = 0;
    // Ascending; m_offsets[i] is in force from m_transitions[i] on.
    std::vector<std::int64_t> m_transitions;
    std::vector<std::int64_t> m_offsets;
    std::optional<ClosingRule> m_closingRule;
};

// A zone by name, such as "Europe/London", from the folder TZDIR names, else
// from /usr/share/zoneinfo. Nothing for a name that is absolute or has a ".."
// part, and for a zone that is missing or does not read.
[[nodiscard]] std::optional<TimeZone> LoadSystemTimeZone(std::string_view name);

}  // namespace karvola
