#include "common/NumberTexts.h"

#include <langinfo.h>
#include <locale.h>

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

}  // namespace karvola
