#include "common/TimeZone.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace karvola {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;
// No zone's offset reaches 26 hours; toUtc looks this far either side.
constexpr std::int64_t kMaxOffset = 26 * kHour;
// A billion years either way: the date arithmetic below cannot overflow inside it.
constexpr std::int64_t kTimeLimit = std::int64_t{1} << 55;
constexpr std::size_t kHeaderSize = 44;
// Zone files are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFileSize = 1 << 20;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

// Big-endian, two's complement for the signed fields.
std::uint64_t ReadUnsigned(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::int64_t ReadSigned(std::string_view bytes, std::size_t at, std::size_t width) {
    const std::uint64_t value = ReadUnsigned(bytes, at, width);
    if (width == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int64_t>(value);
}

struct Header {
    bool hasSecondBlock = false;
    std::uint64_t utLocalCount = 0, standardWallCount = 0, leapCount = 0, timeCount = 0, typeCount = 0, charCount = 0;

    [[nodiscard]] std::uint64_t blockSize(std::uint64_t timeSize) const {
        return timeCount * (timeSize + 1) + typeCount * 6 + charCount + leapCount * (timeSize + 4) + standardWallCount +
               utLocalCount;
    }
};

std::optional<Header> ReadHeader(std::string_view bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < kHeaderSize || bytes.substr(at, 4) != "TZif") return std::nullopt;
    const char version = bytes[at + 4];
    if (version != '\0' && (version < '2' || version > '4')) return std::nullopt;
    const auto count = [&](std::size_t field) { return ReadUnsigned(bytes, at + 20 + 4 * field, 4); };
    return Header{version != '\0', count(0), count(1), count(2), count(3), count(4), count(5)};
}

// Days since 1970-01-01 of a proleptic Gregorian date, and the year of such a day.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = FloorDiv(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t YearOfDay(std::int64_t days) {
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    // The era's years start in March.
    return yearOfEra + era * 400 + (dayOfYear >= 306 ? 1 : 0);
}

// Reads the closing rule's grammar, left to right.
class RuleText {
public:
    explicit RuleText(std::string_view text) : m_rest(text) {}

    [[nodiscard]] bool done() const { return m_rest.empty(); }
    [[nodiscard]] bool next(char c) const { return !m_rest.empty() && m_rest.front() == c; }
    bool eat(char c) {
        if (!next(c)) return false;
        m_rest.remove_prefix(1);
        return true;
    }

    // "GMT" (ASCII letters) or "<+0630>"; only the form matters here.
    bool name() {
        std::size_t length = 0;
        if (eat('<')) {
            length = m_rest.find('>');
            if (length == 0 || length == std::string_view::npos) return false;
            m_rest.remove_prefix(length + 1);
            return true;
        }
        while (length < m_rest.size() && ((m_rest[length] | 0x20) >= 'a' && (m_rest[length] | 0x20) <= 'z')) ++length;
        m_rest.remove_prefix(length);
        return length >= 3;
    }

    std::optional<int> number(int min, int max) {
        int value = 0;
        std::size_t digits = 0;
        for (; digits < m_rest.size() && digits < 3 && m_rest[digits] >= '0' && m_rest[digits] <= '9'; ++digits)
            value = value * 10 + (m_rest[digits] - '0');
        m_rest.remove_prefix(digits);
        if (digits == 0 || value < min || value > max) return std::nullopt;
        return value;
    }

    // [+-]hh[:mm[:ss]] in seconds.
    std::optional<std::int64_t> time(int maxHours) {
        const bool negative = eat('-');
        if (!negative) eat('+');
        std::optional<int> part = number(0, maxHours);
        std::int64_t seconds = part.value_or(0) * kHour;
        for (std::int64_t unit : {60, 1}) {
            if (!part || !eat(':')) break;
            part = number(0, 59);
            seconds += part.value_or(0) * unit;
        }
        if (!part) return std::nullopt;
        return negative ? -seconds : seconds;
    }

private:
    std::string_view m_rest;
};

}  // namespace

TimeZone TimeZone::FixedHours(int hours) {
    TimeZone zone;
    zone.m_initialOffset = std::int64_t{hours} * kHour;
    return zone;
}

std::optional<TimeZone::ClosingRule> TimeZone::ParseClosingRule(std::string_view text) {
    RuleText rule(text);
    // POSIX counts offsets west of Greenwich.
    std::optional<std::int64_t> west;
    if (!rule.name() || !(west = rule.time(24))) return std::nullopt;
    ClosingRule closing{-*west, std::nullopt};
    if (rule.done()) return closing;
    if (!rule.name()) return std::nullopt;
    SummerTime summer{closing.standardOffset + kHour, {}, {}};
    if (!rule.next(',')) {
        if (!(west = rule.time(24))) return std::nullopt;
        summer.offset = -*west;
    }
    for (DayRule* day : {&summer.start, &summer.end}) {
        std::optional<int> month, week, weekday;
        if (!rule.eat(',') || !rule.eat('M') || !(month = rule.number(1, 12)) || !rule.eat('.') ||
            !(week = rule.number(1, 5)) || !rule.eat('.') || !(weekday = rule.number(0, 6)))
            return std::nullopt;
        *day = DayRule{*month, *week, *weekday, day->time};
        // Rule times may reach a week either side of the day.
        if (rule.eat('/')) {
            const std::optional<std::int64_t> time = rule.time(167);
            if (!time) return std::nullopt;
            day->time = *time;
        }
    }
    if (!rule.done()) return std::nullopt;
    closing.summer = summer;
    return closing;
}

std::int64_t TimeZone::OffsetUnder(const ClosingRule& rule, std::int64_t utcSeconds) {
    if (!rule.summer) return rule.standardOffset;
    const SummerTime& summer = *rule.summer;
    const auto dayOf = [](std::int64_t year, const DayRule& day) {
        const std::int64_t first = DaysFromCivil(year, day.month, 1);
        const std::int64_t next = DaysFromCivil(year + (day.month == 12 ? 1 : 0), day.month % 12 + 1, 1);
        // 1970-01-01 was a Thursday.
        const std::int64_t firstWeekday = first + 4 - FloorDiv(first + 4, 7) * 7;
        std::int64_t result = first + (day.weekday - firstWeekday + 7) % 7 + (day.week - 1) * 7;
        return result >= next ? result - 7 : result;
    };
    const std::int64_t t = std::clamp(utcSeconds, -kTimeLimit, kTimeLimit);
    // The latest change at or before t among the neighbouring years' changes: a
    // rule time may move a change across the new year, and in the south summer
    // time spans it.
    const std::int64_t year = YearOfDay(FloorDiv(t + rule.standardOffset, kDay));
    std::int64_t latest = std::numeric_limits<std::int64_t>::min();
    std::int64_t offset = rule.standardOffset;
    for (std::int64_t y = year - 1; y <= year + 1; ++y) {
        // Summer time starts by standard time's clock and ends by its own.
        const std::int64_t start = dayOf(y, summer.start) * kDay + summer.start.time - rule.standardOffset;
        const std::int64_t end = dayOf(y, summer.end) * kDay + summer.end.time - summer.offset;
        if (start <= t && start > latest) {
            latest = start;
            offset = summer.offset;
        }
        if (end <= t && end > latest) {
            latest = end;
            offset = rule.standardOffset;
        }
    }
    return offset;
}

std::optional<TimeZone> TimeZone::FromTzif(std::string_view bytes) {
    std::optional<Header> header = ReadHeader(bytes, 0);
    if (!header) return std::nullopt;
    const bool wide = header->hasSecondBlock;
    std::size_t at = kHeaderSize;
    std::uint64_t timeSize = 4;
    if (wide) {
        const std::uint64_t skipped = header->blockSize(4);
        if (skipped > bytes.size() - at) return std::nullopt;
        at += skipped;
        header = ReadHeader(bytes, at);
        if (!header) return std::nullopt;
        at += kHeaderSize;
        timeSize = 8;
    }
    const Header& h = *header;
    if (h.typeCount == 0 || (h.utLocalCount != 0 && h.utLocalCount != h.typeCount) ||
        (h.standardWallCount != 0 && h.standardWallCount != h.typeCount) || h.leapCount != 0 ||
        h.blockSize(timeSize) > bytes.size() - at)
        return std::nullopt;

    const std::size_t timeCount = h.timeCount;
    const std::size_t indicesAt = at + timeCount * timeSize;
    const std::size_t typesAt = indicesAt + timeCount;
    std::vector<std::int64_t> typeOffsets;
    typeOffsets.reserve(h.typeCount);
    for (std::size_t i = 0; i < h.typeCount; ++i) {
        typeOffsets.push_back(ReadSigned(bytes, typesAt + 6 * i, 4));
        if (typeOffsets.back() < -kMaxOffset || typeOffsets.back() > kMaxOffset) return std::nullopt;
    }
    TimeZone zone;
    zone.m_initialOffset = typeOffsets.front();
    zone.m_transitions.reserve(timeCount);
    zone.m_offsets.reserve(timeCount);
    for (std::size_t i = 0; i < timeCount; ++i) {
        const std::int64_t time = ReadSigned(bytes, at + i * timeSize, timeSize);
        const auto type = static_cast<unsigned char>(bytes[indicesAt + i]);
        if ((i > 0 && time <= zone.m_transitions.back()) || type >= typeOffsets.size()) return std::nullopt;
        zone.m_transitions.push_back(time);
        zone.m_offsets.push_back(typeOffsets[type]);
    }
    if (!wide) return zone;

    // The closing rule sits between two line feeds after the second block.
    at += h.blockSize(timeSize);
    const std::size_t end = at < bytes.size() && bytes[at] == '\n' ? bytes.find('\n', at + 1) : std::string_view::npos;
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view rule = bytes.substr(at + 1, end - at - 1);
    // An empty rule leaves later times open; the last offset is the best guess.
    if (!rule.empty() && !(zone.m_closingRule = ParseClosingRule(rule))) return std::nullopt;
    return zone;
}

std::int64_t TimeZone::utcOffsetAt(std::int64_t utcSeconds) const {
    if (m_transitions.empty()) return m_closingRule ? OffsetUnder(*m_closingRule, utcSeconds) : m_initialOffset;
    const auto next = std::upper_bound(m_transitions.begin(), m_transitions.end(), utcSeconds);
    if (next == m_transitions.begin()) return m_initialOffset;
    if (next == m_transitions.end() && m_closingRule) return OffsetUnder(*m_closingRule, utcSeconds);
    return m_offsets[static_cast<std::size_t>(next - m_transitions.begin()) - 1];
}

std::int64_t TimeZone::toUtc(std::int64_t localSeconds) const {
    const std::int64_t local = std::clamp(localSeconds, -kTimeLimit, kTimeLimit);
    // Any answer lies within kMaxOffset of the local time, so its offset is one
    // of these two.
    const std::int64_t before = utcOffsetAt(local - kMaxOffset);
    const std::int64_t after = utcOffsetAt(local + kMaxOffset);
    // When both fit (clocks went back), the earlier offset gives the earlier
    // instant; when neither fits (clocks went forward), it is the one before the gap.
    const bool onlyAfterFits = utcOffsetAt(local - before) != before && utcOffsetAt(local - after) == after;
    return local - (onlyAfterFits ? after : before);
}

std::optional<TimeZone> LoadSystemTimeZone(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string_view::npos) return std::nullopt;
    for (std::size_t start = 0;;) {
        const std::size_t slash = name.find('/', start);
        if (name.substr(start, slash - start) == "..") return std::nullopt;
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    const char* folder = std::getenv("TZDIR");
    const std::filesystem::path base = folder && *folder ? folder : "/usr/share/zoneinfo";
    std::ifstream file(base / name, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes;
    std::array<char, 4096> chunk{};
    while (file.read(chunk.data(), chunk.size()) || file.gcount() > 0) {
        bytes.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > kMaxFileSize) return std::nullopt;
    }
    if (file.bad()) return std::nullopt;
    return TimeZone::FromTzif(bytes);
}

}  // namespace karvola
