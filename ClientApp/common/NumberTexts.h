#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number texts shown on the terminal. Everything here is locale-independent:
// the process locale (which QApplication may change) never affects a digit.
namespace karvola {

// "%.2f" with a point as decimal separator, whatever the locale.
std::string FormatTwoDecimals(double value);
// The same for a value computed in extended precision, rounded once, from its own digits.
std::string FormatTwoDecimalsExtended(long double value);

// The general form: the shortest text with at most 15 significant digits, no
// trailing zeros, a decimal separator only where needed, and the exponent form
// ("1E20", "1.5E-6") when the value has more than 15 integral digits or its
// magnitude is below 0.00001. Non-finite values give "NAN", "INF" or "-INF".
std::string FormatGeneral(double value, char decimalSeparator = '.');

// Percentages: the value times 100 truncated toward zero, then "%".
std::string FormatPercent(long double value);

// Reads a number written in the general form (or typed by the user) with either
// "." or "," as decimal separator. The whole text must be the number.
std::optional<double> ParseDecimal(std::string_view text);

// Odds texts as strtod reads them, whatever the locale: blanks skipped, an
// optional sign, then the longest decimal prefix; 0 when there is none.
double ReadStrtodDouble(std::string_view text);
// The nearest float, ties to even, with infinity where that rounding overflows.
float NarrowToFloat(double value);

// The decimal separator of the user's regional settings: the locale named by
// LC_NUMERIC, else LC_ALL, else LANG; "." when none names a usable locale.
// Reads the environment; never changes the process locale.
char UserDecimalSeparator();

// The decimal separator of one named locale ("pl_PL.UTF-8"); "." when the name
// is empty or the locale is not installed.
char DecimalSeparatorOfLocale(const std::string& localeName);

}  // namespace karvola
