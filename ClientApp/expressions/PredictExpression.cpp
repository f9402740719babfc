#include "expressions/PredictExpression.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "expressions/LogicExpression.h"

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
    const auto result = std::to_chars(begin, begin + buffer.size(), static_cast<double>(odds),
                                      std::chars_format::fixed, 4);
    std::string_view text(begin, static_cast<std::size_t>(result.ptr - begin));
    const std::size_t signLength = !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.substr(signLength, 2) == "0.") {
        // Move the sign, if any, over the dropped zero.
        if (signLength == 1) begin[1] = '-';
        text.remove_prefix(1);
    }
    return text;
}

void replaceAll(std::string& text, std::string_view name, std::string_view value) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size())) {
        text.replace(at, name.size(), value);
    }
}

bool isBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

}  // namespace

PredictExpression::PredictExpression(std::string text) : m_text(std::move(text)) {}

std::uint8_t PredictExpression::evaluate(float odds1, float odds0, float odds2) {
    // Empties both lists on every exit, errors included.
    struct ListsReset {
        PredictExpression& expression;
        ~ListsReset() {
            expression.m_parse_elements.clear();
            expression.m_elements.clear();
        }
    } reset{*this};

    m_text.erase(std::remove_if(m_text.begin(), m_text.end(), isBlank), m_text.end());
    // Every part is split and checked before any condition is evaluated, so a
    // faulty later part is reported even when an earlier condition holds.
    split();
    buildElements(odds1, odds0, odds2);

    for (predict_expr_element_t& element : m_elements) {
        logic_expression_t condition(std::move(element.m_condition));
        const double value = condition.evaluate();
        if (value != 0.0 && !std::isnan(value)) return element.m_prediction;
    }
    return NO_BET;
}

// Cuts the text into parts at the first "?" and the first ":" after it.
void PredictExpression::split() {
    const std::string_view text = m_text;
    std::size_t start = 0;
    while (true) {
        const std::size_t question = text.find('?', start);
        if (question == std::string_view::npos) {
            m_parse_elements.push_back({kAlwaysTrue, text.substr(start)});
            return;
        }
        const std::string_view condition = text.substr(start, question - start);
        if (question + 1 == text.size()) throw std::logic_error(kSyntaxError);

        const std::size_t colon = text.find(':', question + 1);
        if (colon == std::string_view::npos) {
            m_parse_elements.push_back({condition, text.substr(question + 1)});
            return;
        }
        m_parse_elements.push_back({condition, text.substr(question + 1, colon - question - 1)});
        if (colon + 1 == text.size()) throw std::logic_error(kSyntaxError);
        start = colon + 1;
    }
}

void PredictExpression::buildElements(float odds1, float odds0, float odds2) {
    OddsText buffer1;
    OddsText buffer0;
    OddsText buffer2;
    const std::string_view text1 = formatOdds(odds1, buffer1);
    const std::string_view text0 = formatOdds(odds0, buffer0);
    const std::string_view text2 = formatOdds(odds2, buffer2);

    m_elements.reserve(m_parse_elements.size());
    for (const predict_expr_parse_element_t& part : m_parse_elements) {
        predict_expr_element_t element;
        element.m_condition.assign(part.m_condition);
        // In this order, each over the result of the one before.
        replaceAll(element.m_condition, "ODDS1", text1);
        replaceAll(element.m_condition, "ODDS0", text0);
        replaceAll(element.m_condition, "ODDS2", text2);

        const auto keyword = std::find_if(kKeywords.begin(), kKeywords.end(),
                                          [&](const Keyword& k) { return k.text == part.m_keyword; });
        if (keyword == kKeywords.end()) throw std::logic_error(kInvalidKeyword);
        element.m_prediction = keyword->code;
        m_elements.push_back(std::move(element));
    }
}

}  // namespace karvola
