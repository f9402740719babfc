#include "config/DateTimeManager.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace karvola {

namespace {

constexpr const char* kIncorrectDateFormat = "Error : Incorrect date format";
// The day count of 1970-01-01 in the date-time value, whose day 0 is 1899-12-30.
constexpr double kUnixEpochDay = 25569.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kMillisecondsPerDay = 86400000.0;

// The fields as a day of the proleptic Gregorian calendar of years 1 to 9999,
// not ok() when they are none. chrono keeps a month or a day in a byte (257
// would pass as 1), so their ranges are checked before it sees them.
std::chrono::year_month_day calendarDay(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return {std::chrono::year(0), std::chrono::month(0), std::chrono::day(0)};
    }
    return {std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
            std::chrono::day(static_cast<unsigned>(day))};
}

// One piece of DD/MM/YYYY as a decimal integer: an optional '+' or '-', then digits up to the
// end of the piece. Blanks are not skipped, so " 7" fails like "7 " does.
bool parseField(std::string_view piece, std::int16_t& field) {
    bool negative = false;
    if (!piece.empty() && (piece.front() == '+' || piece.front() == '-')) {
        negative = piece.front() == '-';
        piece.remove_prefix(1);
    }
    // from_chars takes a '-' of its own; after the sign only digits may follow.
    if (piece.empty() || piece.front() < '0' || piece.front() > '9') return false;
    int value = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (error != std::errc() || end != piece.data() + piece.size()) return false;
    // At most four characters, so the value always fits 16 bits.
    field = static_cast<std::int16_t>(negative ? -value : value);
    return true;
}

void appendNumber(std::string& text, int value, bool twoDigits) {
    if (twoDigits && value >= 0 && value < 10) text += '0';
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
}

}  // namespace

DateTimeManager::DateTimeManager(std::uint32_t unixTime) {
    SetFromUnixTime(unixTime);
}

std::int32_t DateTimeManager::ToUnixTime() const {
    const std::chrono::year_month_day date = calendarDay(m_year, m_month, m_day);
    const bool isTime = m_hour >= 0 && m_hour <= 23 && m_minute >= 0 && m_minute <= 59 && m_second >= 0 &&
                        m_second <= 59 && m_millisecond >= 0 && m_millisecond <= 999;
    if (!date.ok() || !isTime) throw std::logic_error(kIncorrectDateFormat);

    // The date-time value: whole days since 1899-12-30 plus the time of day as a fraction.
    const double timeOfDay =
        (m_hour * 3600000.0 + m_minute * 60000.0 + m_second * 1000.0 + m_millisecond) / kMillisecondsPerDay;
    const auto days = static_cast<double>(std::chrono::sys_days(date).time_since_epoch().count());
    const double dateTime = days + kUnixEpochDay + timeOfDay;
    const double x = (dateTime - kUnixEpochDay) * kSecondsPerDay;
    double t = std::trunc(x);
    if (x - t >= 0.5) t += 1.0;

    // Unix times are 32-bit and read as unsigned, so only 1970-01-01 00:00:00 to
    // 2106-02-07 06:28:15 exist. Earlier dates give 0 and later ones the last second, which
    // keeps the order of dates: a range from 01/01/1960 means "from the first record on".
    constexpr double kLast = std::numeric_limits<std::uint32_t>::max();
    const std::uint32_t seconds = t <= 0.0     ? 0U
                                  : t >= kLast ? std::numeric_limits<std::uint32_t>::max()
                                               : static_cast<std::uint32_t>(t);
    return static_cast<std::int32_t>(seconds);
}

void DateTimeManager::SetFromUnixTime(std::uint32_t unixTime) {
    const double dateTime = unixTime / kSecondsPerDay + kUnixEpochDay;
    double wholeDays = std::floor(dateTime);
    long long milliseconds = std::llround((dateTime - wholeDays) * kMillisecondsPerDay);
    if (milliseconds >= 86400000) {
        wholeDays += 1.0;
        milliseconds -= 86400000;
    }
    const std::chrono::year_month_day date{
        std::chrono::sys_days(std::chrono::days(static_cast<int>(wholeDays - kUnixEpochDay)))};
    m_year = static_cast<std::int16_t>(static_cast<int>(date.year()));
    m_month = static_cast<std::int16_t>(static_cast<unsigned>(date.month()));
    m_day = static_cast<std::int16_t>(static_cast<unsigned>(date.day()));
    m_hour = static_cast<std::int16_t>(milliseconds / 3600000);
    m_minute = static_cast<std::int16_t>(milliseconds / 60000 % 60);
    m_second = static_cast<std::int16_t>(milliseconds / 1000 % 60);
    m_millisecond = static_cast<std::int16_t>(milliseconds % 1000);
}

void DateTimeManager::SetFromText(std::string_view text) {
    if (text.size() != 10) throw std::logic_error(kIncorrectDateFormat);
    // Year, month, day in this order; a failure leaves the fields read before it changed.
    // The separators at positions 3 and 6 are not looked at.
    if (!parseField(text.substr(6, 4), m_year) || !parseField(text.substr(3, 2), m_month) ||
        !parseField(text.substr(0, 2), m_day)) {
        throw std::logic_error(kIncorrectDateFormat);
    }
    m_hour = 0;
    m_minute = 0;
    m_second = 0;
    m_millisecond = 0;
}

void DateTimeManager::SetNow(const Clock& clock) {
    const std::time_t now = clock.now();
    std::tm local{};
    localtime_r(&now, &local);
    m_year = static_cast<std::int16_t>(local.tm_year + 1900);
    m_month = static_cast<std::int16_t>(local.tm_mon + 1);
    m_day = static_cast<std::int16_t>(local.tm_mday);
    m_hour = static_cast<std::int16_t>(local.tm_hour);
    m_minute = static_cast<std::int16_t>(local.tm_min);
    m_second = static_cast<std::int16_t>(local.tm_sec);
    // The clock counts whole seconds.
    m_millisecond = 0;
}

std::string DateTimeManager::FormatDate() const {
    std::string text;
    appendNumber(text, m_day, true);
    text += '/';
    appendNumber(text, m_month, true);
    text += '/';
    appendNumber(text, m_year, false);
    return text;
}

std::string DateTimeManager::FormatDateTime() const {
    std::string text = FormatDate();
    text += ", ";
    appendNumber(text, m_hour, false);
    text += ':';
    appendNumber(text, m_minute, true);
    return text;
}

}  // namespace karvola
