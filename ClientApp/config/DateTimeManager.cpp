#include "config/DateTimeManager.h"

#include <charconv>
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

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar
// (H. Hinnant's days_from_civil), valid for any year.
long long daysFromCivil(long long year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct civil_date_t {
    long long year;
    int month;
    int day;
};

// The inverse of daysFromCivil.
civil_date_t civilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
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
    const bool isDate = m_year >= 1 && m_year <= 9999 && m_month >= 1 && m_month <= 12 && m_day >= 1 &&
                        m_day <= daysInMonth(m_year, m_month);
    const bool isTime = m_hour >= 0 && m_hour <= 23 && m_minute >= 0 && m_minute <= 59 && m_second >= 0 &&
                        m_second <= 59 && m_millisecond >= 0 && m_millisecond <= 999;
    if (!isDate || !isTime) throw std::logic_error(kIncorrectDateFormat);

    // The date-time value: whole days since 1899-12-30 plus the time of day as a fraction.
    const double timeOfDay =
        (m_hour * 3600000.0 + m_minute * 60000.0 + m_second * 1000.0 + m_millisecond) / kMillisecondsPerDay;
    const double dateTime = static_cast<double>(daysFromCivil(m_year, m_month, m_day)) + kUnixEpochDay + timeOfDay;
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
    const civil_date_t date = civilFromDays(static_cast<long long>(wholeDays - kUnixEpochDay));
    m_year = static_cast<std::int16_t>(date.year);
    m_month = static_cast<std::int16_t>(date.month);
    m_day = static_cast<std::int16_t>(date.day);
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
