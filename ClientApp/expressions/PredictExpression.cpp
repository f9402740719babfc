#include "expressions/PredictExpression.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace karvola {

namespace {

constexpr const char* kSyntaxError = "Expression syntax error";
constexpr const char* kInvalidKeyword = "Invalid prediction keyword";

struct Keyword {
    std::string_view text;
    PredictExpression::prediction_t code;
};

constexpr std::array<Keyword, 7> kKeywords{{
    {"BET1", PredictExpression::BET1},
    {"BET0", PredictExpression::BET0},
    {"BET2", PredictExpression::BET2},
    {"BET12", PredictExpression::BET12},
    {"BET10", PredictExpression::BET10},
    {"BET02", PredictExpression::BET02},
    {"BET102", PredictExpression::BET102},
}};

// A part without "?" is a keyword that always applies.
constexpr std::string_view kAlwaysTrue = "1";

// Room for the widest float in fixed notation (39 integral digits), sign, point and decimals.
using OddsText = std::array<char, 64>;

// The odds as the conditions see them: fixed notation with four decimals and no
// leading zero in the integer part (0.5 gives .5000). Both sides of ODDS1==1.85
// then go through the same decimal text and float rounding. std::to_chars keeps
// the process locale, which may use a decimal comma, out of it. NaN and infinite
// odds come out as "nan" and "inf", which no condition accepts as a number.
std::string_view formatOdds(float odds, OddsText& buffer) {
    char* const begin = buffer.data();
    const auto result =
        std::to_chars(begin, begin + buffer.size(), static_cast<double>(odds), std::chars_format::fixed, 4);
    std::string_view text(begin, static_cast<std::size_t>(result.ptr - begin));
    const std::size_t signLength = !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.substr(signLength, 2) == "0.") {
        // Move the sign, if any, over the dropped zero.
        if (signLength == 1) begin[1] = '-';
        text.remove_prefix(1);
    }
    return text;
}

bool isBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

}  // namespace

PredictExpression::PredictExpression(std::string text) : m_text(std::move(text)) {
    m_compactText = m_text;
    m_compactText.erase(std::remove_if(m_compactText.begin(), m_compactText.end(), isBlank), m_compactText.end());
    // Every part is split and checked before any condition is evaluated, so a
    // faulty later part is reported even when an earlier condition holds.
    std::vector<predict_expr_parse_element_t> parts;
    try {
        split(parts);
        m_elements.reserve(parts.size());
        for (const predict_expr_parse_element_t& part : parts) {
            const auto keyword = std::find_if(kKeywords.begin(), kKeywords.end(),
                                              [&](const Keyword& k) { return k.text == part.m_keyword; });
            if (keyword == kKeywords.end()) throw std::logic_error(kInvalidKeyword);
            m_elements.push_back(
                {OddsCondition(part.m_condition, OddsCondition::Names::AfterBlankRemoval), keyword->code});
            m_mentionsOdds = m_mentionsOdds || m_elements.back().m_condition.mentionsOdds();
        }
    } catch (const std::logic_error& error) {
        m_elements.clear();
        m_error = error.what();
    }
}

std::uint8_t PredictExpression::evaluate(float odds1, float odds0, float odds2) {
    m_evaluated = true;
    if (!m_error.empty()) throw std::logic_error(m_error);
    OddsText buffer1;
    OddsText buffer0;
    OddsText buffer2;
    const OddsTexts odds =
        m_mentionsOdds ? OddsTexts{formatOdds(odds1, buffer1), formatOdds(odds0, buffer0), formatOdds(odds2, buffer2)}
                       : OddsTexts{};
    for (const predict_expr_element_t& element : m_elements) {
        const double value = element.m_condition.evaluate(odds);
        if (value != 0.0 && !std::isnan(value)) return element.m_prediction;
    }
    return NO_BET;
}

// Cuts the text into parts at the first "?" and the first ":" after it.
void PredictExpression::split(std::vector<predict_expr_parse_element_t>& parts) const {
    const std::string_view text = m_compactText;
    std::size_t start = 0;
    while (true) {
        const std::size_t question = text.find('?', start);
        if (question == std::string_view::npos) {
            parts.push_back({kAlwaysTrue, text.substr(start)});
            return;
        }
        const std::string_view condition = text.substr(start, question - start);
        if (question + 1 == text.size()) throw std::logic_error(kSyntaxError);

        const std::size_t colon = text.find(':', question + 1);
        if (colon == std::string_view::npos) {
            parts.push_back({condition, text.substr(question + 1)});
            return;
        }
        parts.push_back({condition, text.substr(question + 1, colon - question - 1)});
        if (colon + 1 == text.size()) throw std::logic_error(kSyntaxError);
        start = colon + 1;
    }
}

}  // namespace karvola
