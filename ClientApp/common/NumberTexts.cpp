#include "common/NumberTexts.h"

#include <langinfo.h>
#include <locale.h>  // NOLINT(modernize-deprecated-headers): POSIX newlocale and uselocale

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace karvola {

namespace {

bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isStrtodBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The decimal exponent of the number's leading digit plus one, for an unsigned decimal
// "digits[.digits][e[+-]digits]" with a nonzero digit; only its sign is used, to tell an
// overflow from an underflow, so the exponent saturates.
long long decimalOrder(std::string_view number) {
    std::size_t i = 0;
    long long order = 0;
    bool significant = false;
    for (; i < number.size() && isAsciiDigit(number[i]); ++i) {
        if (number[i] != '0') significant = true;
        if (significant) ++order;
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && isAsciiDigit(number[i]); ++i) {
            if (significant) continue;
            if (number[i] != '0')
                significant = true;
            else
                --order;
        }
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        const bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
        long long exponent = 0;
        for (; i < number.size() && isAsciiDigit(number[i]); ++i) {
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000LL);
        }
        order += negative ? -exponent : exponent;
    }
    return order;
}

constexpr int kGeneralPrecision = 15;
// Below this decimal exponent (value = 0.ddd x 10^exponent) the general form
// switches to the exponent form: 0.00001 is still written in full.
constexpr int kSmallestFixedExponent = -4;

struct DecimalDigits {
    bool negative = false;
    std::string digits;  // significant digits, no trailing zeros, never empty
    int exponent = 0;    // value = 0.<digits> x 10^exponent
};

DecimalDigits RoundToSignificantDigits(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, kGeneralPrecision - 1);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));

    DecimalDigits decimal;
    std::size_t pos = 0;
    if (text[pos] == '-') {
        decimal.negative = true;
        ++pos;
    }
    const std::size_t exponentMark = text.find('e', pos);
    for (std::size_t i = pos; i < exponentMark; ++i) {
        if (text[i] != '.') decimal.digits.push_back(text[i]);
    }
    int scientificExponent = 0;
    std::string_view exponentText = text.substr(exponentMark + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), scientificExponent);
    decimal.exponent = scientificExponent + 1;

    while (decimal.digits.size() > 1 && decimal.digits.back() == '0') decimal.digits.pop_back();
    return decimal;
}

std::string ExponentForm(const DecimalDigits& decimal, char separator) {
    std::string text(1, decimal.digits.front());
    if (decimal.digits.size() > 1) {
        text.push_back(separator);
        text.append(decimal.digits, 1);
    }
    const int exponent = decimal.exponent - 1;
    text.push_back('E');
    if (exponent < 0) text.push_back('-');
    text += std::to_string(std::abs(exponent));
    return text;
}

std::string FixedForm(const DecimalDigits& decimal, char separator) {
    const auto& digits = decimal.digits;
    std::string text;
    if (decimal.exponent <= 0) {
        text.push_back('0');
        text.push_back(separator);
        text.append(static_cast<std::size_t>(-decimal.exponent), '0');
        text.append(digits);
        return text;
    }
    const auto integral = static_cast<std::size_t>(decimal.exponent);
    text.append(digits, 0, integral);
    if (digits.size() <= integral) {
        text.append(integral - digits.size(), '0');
    } else {
        text.push_back(separator);
        text.append(digits, integral);
    }
    return text;
}

}  // namespace

std::string FormatTwoDecimals(double value) {
    std::array<char, 400> buffer{};  // "%.2f" of the largest double needs 312 characters
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatTwoDecimalsExtended(long double value) {
    std::array<char, 5000> buffer{};  // the largest long double has 4933 integral digits
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    return std::string(buffer.data(), result.ptr);
}

std::string FormatGeneral(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0.0) return "0";

    const DecimalDigits decimal = RoundToSignificantDigits(value);
    const bool exponentForm = decimal.exponent > kGeneralPrecision || decimal.exponent < kSmallestFixedExponent;
    std::string text = exponentForm ? ExponentForm(decimal, decimalSeparator) : FixedForm(decimal, decimalSeparator);
    if (decimal.negative) text.insert(text.begin(), '-');
    return text;
}

std::string FormatPercent(long double value) {
    const long double hundredfold = std::trunc(value * 100.0L);
    if (!std::isfinite(hundredfold)) return FormatGeneral(static_cast<double>(hundredfold)) + "%";
    if (hundredfold == 0.0L) return "0%";  // never "-0%"
    // An integer in decimal at any size, beyond the range of every integer type:
    // "%.0Lf" writes all its digits and, without a fraction, no decimal separator.
    // The largest long double has 4933 integral digits.
    std::array<char, 4960> digits{};
    std::snprintf(digits.data(), digits.size(), "%.0Lf", hundredfold);
    return std::string(digits.data()) + "%";
}

std::optional<double> ParseDecimal(std::string_view text) {
    std::string normalized(text);
    std::replace(normalized.begin(), normalized.end(), ',', '.');
    if (normalized.empty() ||
        !(std::isdigit(static_cast<unsigned char>(normalized.back())) || normalized.back() == '.')) {
        return std::nullopt;  // also keeps "inf" and "nan" out
    }
    double value = 0.0;
    const char* first = normalized.data();
    const char* last = first + normalized.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc{} || result.ptr != last) return std::nullopt;
    return value;
}

char DecimalSeparatorOfLocale(const std::string& localeName) {
    if (localeName.empty()) return '.';
    const locale_t locale = newlocale(LC_NUMERIC_MASK, localeName.c_str(), locale_t{});
    if (locale == locale_t{}) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    const char separator = (radix != nullptr && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
    freelocale(locale);
    return separator;
}

char UserDecimalSeparator() {
    for (const char* variable : {"LC_NUMERIC", "LC_ALL", "LANG"}) {
        const char* name = std::getenv(variable);
        if (name != nullptr && name[0] != '\0') return DecimalSeparatorOfLocale(name);
    }
    return '.';
}

// strtod's decimal forms, whatever the locale: blanks skipped, an optional sign, then the
// longest prefix "digits[.digits][e[+-]digits]" (".5" and "5." included); 0 when there is
// none. Hexadecimal, "inf" and "nan" are no odds and read as 0 like any other non-number.
// Out of range: +-HUGE_VAL on overflow and 0 on underflow, as strtod returns them.
double ReadStrtodDouble(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isStrtodBlank(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::string_view number = text.substr(pos);
    const bool startsNumber = !number.empty() && (isAsciiDigit(number[0]) ||
                                                  (number[0] == '.' && number.size() > 1 && isAsciiDigit(number[1])));
    if (!startsNumber) return 0.0;

    double value = 0.0;
    const char* first = number.data();
    const auto [end, error] = std::from_chars(first, first + number.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        const auto used = static_cast<std::size_t>(end - first);
        value = decimalOrder(number.substr(0, used)) > 0 ? HUGE_VAL : 0.0;
    } else if (error != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

// The nearest float, ties to even, with infinity where that rounding overflows (a plain
// cast of a double beyond the float range is undefined).
float NarrowToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    constexpr double kFirstRoundingToInfinity = 0x1.ffffffp127;  // kLargest + half a unit in the last place
    const double magnitude = std::fabs(value);
    if (magnitude <= kLargest) return static_cast<float>(value);
    const float rounded = magnitude < kFirstRoundingToInfinity ? std::numeric_limits<float>::max()
                                                               : std::numeric_limits<float>::infinity();
    return value < 0.0 ? -rounded : rounded;
}

}  // namespace karvola
