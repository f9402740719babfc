#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/NumberTexts.h"
#include "expressions/NumericExpression.h"

namespace karvola {
namespace {

struct GeneralCase {
    double value;
    const char* text;
};

TEST(NumberTexts, GeneralFormIsShortestWithFifteenSignificantDigits) {
    const GeneralCase cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {14.0, "14"},
        {-3.0, "-3"},
        {0.5, "0.5"},
        {2.5, "2.5"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {std::exp(1.0), "2.71828182845905"},
        {0.1 + 0.2, "0.3"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},                // sixteen integral digits
        {9999999999999999.0, "1E16"},  // rounds up to a sixteenth digit
        {1e20, "1E20"},
        {-2.5e20, "-2.5E20"},
        {0.0001, "0.0001"},
        {0.00001, "0.00001"},  // the smallest magnitude still written in full
        {0.000012345, "0.000012345"},
        {0.0000099, "9.9E-6"},
        {1e-5 / 2, "5E-6"},
        {-1.5e-7, "-1.5E-7"},
        {1e300, "1E300"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatGeneral(c.value), c.text) << "value " << c.value;
}

TEST(NumberTexts, GeneralFormUsesTheGivenSeparatorAndNamesNonFiniteValues) {
    EXPECT_EQ(FormatGeneral(2.5, ','), "2,5");
    EXPECT_EQ(FormatGeneral(-1.5e-7, ','), "-1,5E-7");
    EXPECT_EQ(FormatGeneral(42.0, ','), "42");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(NumberTexts, TwoDecimalsRoundTheBinaryValue) {
    EXPECT_EQ(FormatTwoDecimals(1.1), "1.10");
    EXPECT_EQ(FormatTwoDecimals(100.0 / 3.0), "33.33");
    EXPECT_EQ(FormatTwoDecimals(-0.004), "-0.00");
    EXPECT_EQ(FormatTwoDecimals(2.675), "2.67");  // 2.675 is 2.67499999... in binary
    EXPECT_EQ(FormatTwoDecimals(0.125), "0.12");  // an exact tie goes to even, as printf does
    EXPECT_EQ(FormatTwoDecimals(static_cast<double>(1.85f)), "1.85");
}

TEST(NumberTexts, PercentTruncatesTowardZero) {
    EXPECT_EQ(FormatPercent(0.129L), "12%");
    EXPECT_EQ(FormatPercent(-0.129L), "-12%");
    EXPECT_EQ(FormatPercent(0.0L), "0%");
    EXPECT_EQ(FormatPercent(-0.009L), "0%");
    EXPECT_EQ(FormatPercent(static_cast<long double>(0.07f)), "7%");
    // Beyond the largest 64-bit integer the truncated value is still written whole.
    EXPECT_EQ(FormatPercent(1e17L), "10000000000000000000%");
    EXPECT_EQ(FormatPercent(-static_cast<long double>(1e17f)), "-9999999843067494400%");
}

TEST(NumberTexts, ParseDecimalAcceptsEitherSeparatorAndNothingElse) {
    EXPECT_EQ(ParseDecimal("12"), 12.0);
    EXPECT_EQ(ParseDecimal("12.5"), 12.5);
    EXPECT_EQ(ParseDecimal("12,5"), 12.5);
    EXPECT_EQ(ParseDecimal("-1,5E-7"), -1.5e-7);
    for (const char* bad : {"", "12x", "1.2.3", "inf", "nan", " 12", "12 ", "+1"}) {
        EXPECT_FALSE(ParseDecimal(bad).has_value()) << bad;
    }
}

TEST(NumberTexts, DecimalSeparatorComesFromTheUsersLocaleSettings) {
    EXPECT_EQ(DecimalSeparatorOfLocale("C"), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale(""), '.');
    EXPECT_EQ(DecimalSeparatorOfLocale("xx_NOWHERE.UTF-8"), '.');
    ASSERT_EQ(DecimalSeparatorOfLocale("pl_PL.UTF-8"), ',')
        << "the locale pl_PL.UTF-8 is missing: run scripts/install-deps.sh";
}

// Sets environment variables for one test and restores them afterwards.
class ScopedEnvironment final {
public:
    explicit ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old == nullptr ? std::optional<std::string>() : std::string(old));
            if (value == nullptr) {
                unsetenv(name);
            } else {
                setenv(name, value, 1);
            }
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST(NumberTexts, UserSeparatorFollowsLcNumericThenLcAllThenLang) {
    struct Case {
        const char* numeric;
        const char* all;
        const char* lang;
        char separator;
    };
    const Case cases[] = {
        {"pl_PL.UTF-8", "C", "C", ','},           {nullptr, "pl_PL.UTF-8", "C", ','}, {"", nullptr, "pl_PL.UTF-8", ','},
        {"C", "pl_PL.UTF-8", "pl_PL.UTF-8", '.'}, {nullptr, nullptr, nullptr, '.'},
    };
    for (const auto& c : cases) {
        const ScopedEnvironment environment{{"LC_NUMERIC", c.numeric}, {"LC_ALL", c.all}, {"LANG", c.lang}};
        EXPECT_EQ(UserDecimalSeparator(), c.separator)
            << (c.numeric ? c.numeric : "-") << " " << (c.all ? c.all : "-") << " " << (c.lang ? c.lang : "-");
    }
}

// QApplication (and any library) may set the process locale to one with a
// decimal comma. Parsing and the fixed formats must not notice; only the
// general form, on request, writes the user's separator.
TEST(NumberTexts, ProcessLocaleWithDecimalCommaChangesNothing) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "pl_PL.UTF-8"), nullptr)
        << "the locale pl_PL.UTF-8 is missing: run scripts/install-deps.sh";
    EXPECT_EQ(EvaluateNumericExpression("1.5+1,25"), 2.75);
    EXPECT_EQ(EvaluateNumericExpression("EXP(1)"), 2.71828182845905);
    EXPECT_EQ(FormatTwoDecimals(2.5), "2.50");
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
    EXPECT_EQ(ParseDecimal("2,5"), 2.5);
    std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
}  // namespace karvola
