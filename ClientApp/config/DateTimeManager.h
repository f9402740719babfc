#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Clock.h"

namespace karvola {

// A broken-down date and time without a time zone, with conversions to and from
// Unix time and the user's date format DD/MM/YYYY.
class DateTimeManager final {
public:
    DateTimeManager() = default;
    explicit DateTimeManager(std::uint32_t unixTime);

    void SetYear(std::int16_t value) { m_year = value; }
    void SetMonth(std::int16_t value) { m_month = value; }
    void SetDay(std::int16_t value) { m_day = value; }
    void SetHour(std::int16_t value) { m_hour = value; }
    void SetMinute(std::int16_t value) { m_minute = value; }
    void SetSecond(std::int16_t value) { m_second = value; }
    void SetMillisecond(std::int16_t value) { m_millisecond = value; }

    [[nodiscard]] std::int16_t year() const { return m_year; }
    [[nodiscard]] std::int16_t month() const { return m_month; }
    [[nodiscard]] std::int16_t day() const { return m_day; }
    [[nodiscard]] std::int16_t hour() const { return m_hour; }
    [[nodiscard]] std::int16_t minute() const { return m_minute; }
    [[nodiscard]] std::int16_t second() const { return m_second; }
    [[nodiscard]] std::int16_t millisecond() const { return m_millisecond; }

    // Throws std::logic_error "Error : Incorrect date format" when the fields are no calendar date
    // and time. The result holds the Unix time's 32 bits: compare it as std::uint32_t, since from
    // 2038-01-19 03:14:08 on it is negative as a signed number. Dates before 1970 give 0 and those
    // after 2106-02-07 06:28:15 give 0xFFFFFFFF, so the order of dates is kept.
    [[nodiscard]] std::int32_t ToUnixTime() const;
    void SetFromUnixTime(std::uint32_t unixTime);
    // DD/MM/YYYY; throws std::logic_error "Error : Incorrect date format".
    void SetFromText(std::string_view text);
    void SetNow(const Clock& clock);
    [[nodiscard]] std::string FormatDate() const;
    [[nodiscard]] std::string FormatDateTime() const;

private:
    std::int16_t m_year = 0;
    std::int16_t m_month = 0;
    std::int16_t m_day = 0;
    std::int16_t m_hour = 0;
    std::int16_t m_minute = 0;
    std::int16_t m_second = 0;
    std::int16_t m_millisecond = 0;
};

}  // namespace karvola
