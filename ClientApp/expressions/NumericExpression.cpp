#include "expressions/NumericExpression.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>

#include "common/NumberTexts.h"

namespace karvola {

namespace {

// The sizes of the evaluator's working buffers; input that would not fit is refused.
constexpr std::size_t kMaxExpressionLength = 999;
constexpr std::size_t kMaxGroupLength = 99;
constexpr std::size_t kMaxNumberLength = 99;
// One bracket level holds at most 100 operands, so at most 99 operators.
constexpr std::size_t kSlotCount = 100;

[[noreturn]] void throwExpressionError() {
    throw std::logic_error("Error in expression");
}

[[noreturn]] void throwDomainError() {
    throw std::logic_error("Domain error");
}

[[noreturn]] void throwUnmatchedBrackets() {
    throw std::logic_error("Unmatched brackets");
}

// INF and NAN never enter the text or reach the caller: they are domain errors.
double requireFinite(double value) {
    if (!std::isfinite(value)) throwDomainError();
    return value;
}

void requireUnitRange(double x) {
    if (x < -1.0 || x > 1.0) throwDomainError();
}

struct MathFunction {
    std::string_view name;
    double (*apply)(double);
};

// Tested in this order at each position of the text; names are upper case only.
constexpr std::array<MathFunction, 9> kFunctions{{
    {"SIN", [](double x) { return std::sin(x); }},
    {"COS", [](double x) { return std::cos(x); }},
    {"EXP", [](double x) { return std::exp(x); }},
    {"LOG",
     [](double x) {
         if (!(x > 0.0)) throwDomainError();
         return std::log(x);
     }},
    {"TAN",
     [](double x) {
         if (std::cos(x) == 0.0) throwDomainError();
         return std::tan(x);
     }},
    {"COTAN",
     [](double x) {
         const double tangent = std::tan(x);
         if (tangent == 0.0) throwDomainError();
         return 1.0 / tangent;
     }},
    {"ARCSIN",
     [](double x) {
         requireUnitRange(x);
         return std::atan2(x, std::sqrt(1.0 - x * x));
     }},
    {"ARCCOS",
     [](double x) {
         requireUnitRange(x);
         return std::atan2(std::sqrt(1.0 - x * x), x);
     }},
    {"ARCTAN", [](double x) { return std::atan(x); }},
}};

struct OperandSlot {
    double value = 0.0;
    char op = '+';  // the operator written after the value
};

using OperandSlots = std::array<OperandSlot, kSlotCount>;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits with an optional point (at least one digit in all), then optionally "e" or "E", an optional
// "-" and digits. Stricter than strtod on purpose: "INF", "NAN" and "0x1A" are not numbers here.
// A "+" in an exponent never arrives: the operand pass always takes it as an operator.
bool isDecimalNumber(std::string_view text) {
    std::size_t pos = 0;
    const auto skipDigits = [&text, &pos] {
        const std::size_t start = pos;
        while (pos < text.size() && isDigit(text[pos])) ++pos;
        return pos - start;
    };
    std::size_t mantissaDigits = skipDigits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissaDigits += skipDigits();
    }
    if (mantissaDigits == 0) return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && text[pos] == '-') ++pos;
        if (skipDigits() == 0) return false;
    }
    return pos == text.size();
}

// from_chars never looks at the process locale, which may use a decimal comma.
double convertNumber(std::string_view text) {
    if (!isDecimalNumber(text)) throwExpressionError();
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // A number text has at most 99 characters, so a negative exponent can only make it too small
        // (it is 0) and a positive one only too large: infinity, as strtod reads it. Only a result
        // that is not finite is a domain error, so 1/1E400 is 0.
        if (text.find('-') != std::string_view::npos) return 0.0;
        return std::numeric_limits<double>::infinity();
    }
    if (error != std::errc{} || end != text.data() + text.size()) throwExpressionError();
    return value;
}

double power(double x, double y) {
    if (y == 0.0) return 1.0;
    if (x == 0.0 && y > 0.0) return 0.0;
    if (std::trunc(y) == y && std::fabs(y) <= 2147483647.0) {
        auto exponent = static_cast<std::uint32_t>(std::fabs(y));
        double result = 1.0;
        double base = x;
        while (exponent != 0) {
            if ((exponent & 1U) != 0) result *= base;
            base *= base;
            exponent >>= 1U;
        }
        if (y > 0.0) return requireFinite(result);
        // A zero here is 0 to a negative power or an underflow: its reciprocal has no finite value.
        if (result == 0.0) throwDomainError();
        return 1.0 / result;
    }
    return requireFinite(std::exp(y * std::log(x)));
}

// The bracket group that opens at position. The character there is not checked: after a function name
// whatever follows counts as the opening bracket. Leaves position after the closing bracket.
double EvaluateBracketGroup(std::string_view text, std::size_t& position) {
    ++position;
    const std::size_t first = position;
    int depth = 1;
    while (depth > 0) {
        if (position >= text.size()) throwUnmatchedBrackets();
        if (text[position] == '(') ++depth;
        if (text[position] == ')') --depth;
        ++position;
    }
    const std::string_view group = text.substr(first, position - 1 - first);
    if (group.size() > kMaxGroupLength) throwExpressionError();
    return EvaluateNumericExpression(group);
}

// Replaces every function call by its value in brackets, written with 15 significant digits: the
// value enters the rest of the computation rounded that way. After a replacement the remaining names
// are tested right behind the inserted value, then the walk moves on by one character.
void replaceFunctionCalls(std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        for (const MathFunction& function : kFunctions) {
            if (text.compare(i, function.name.size(), function.name) != 0) continue;
            const std::size_t start = i;
            i += function.name.size();
            const double argument = EvaluateBracketGroup(text, i);
            const double value = requireFinite(function.apply(argument));
            const std::string replacement = "(" + FormatGeneral(value, '.') + ")";
            text.replace(start, i - start, replacement);
            if (text.size() > kMaxExpressionLength) throwExpressionError();
            i = start + replacement.size();
        }
        ++i;
    }
}

// A "-" right after "e" or "E" is an exponent sign; every other "-" is an operator, also at the start,
// where it follows the empty operand 0.
bool isOperatorAt(std::string_view text, std::size_t position) {
    const char c = text[position];
    if (c == '+' || c == '*' || c == '/' || c == '^') return true;
    if (c != '-') return false;
    return position == 0 || (text[position - 1] != 'e' && text[position - 1] != 'E');
}

// Cuts the flat text into operands and the operators after them. A missing operand stays 0, so an
// operator written after another one acts on 0: 2*-3 is 2*0-3.
OperandSlots readOperands(std::string_view text) {
    OperandSlots slots{};
    std::size_t h = 0;
    std::string number;
    std::size_t position = 0;
    while (position < text.size()) {
        // A group's value goes into the current slot; characters next to it join the number text of
        // the same slot and, when converted, replace the group's value: 2(3) is 2.
        if (text[position] == '(') slots[h].value = EvaluateBracketGroup(text, position);
        if (position < text.size()) {
            if (isOperatorAt(text, position)) {
                if (h == kSlotCount - 1) throwExpressionError();
                slots[h].op = text[position];
                if (!number.empty()) {
                    slots[h].value = convertNumber(number);
                    number.clear();
                }
                ++h;
            } else {
                if (number.size() == kMaxNumberLength) throwExpressionError();
                number.push_back(text[position]);
            }
        }
        ++position;
    }
    if (!number.empty()) slots[h].value = convertNumber(number);
    return slots;
}

// Drops the slot after a combined pair. The freed last slot becomes empty: with 99 operators the last
// slot holds a real operand, and a copy of it left behind would be counted again.
void removeSlot(OperandSlots& slots, std::size_t index) {
    std::move(slots.begin() + static_cast<std::ptrdiff_t>(index) + 1, slots.end(),
              slots.begin() + static_cast<std::ptrdiff_t>(index));
    slots.back() = OperandSlot{};
}

double combineSlots(OperandSlots& slots) {
    // "^" from the left: 2^3^2 is 64.
    for (std::size_t k = 0; k + 1 < kSlotCount; ++k) {
        while (slots[k].op == '^') {
            slots[k].value = power(slots[k].value, slots[k + 1].value);
            slots[k].op = slots[k + 1].op;
            removeSlot(slots, k + 1);
        }
    }
    for (std::size_t k = 0; k + 1 < kSlotCount; ++k) {
        while (slots[k].op == '*' || slots[k].op == '/') {
            if (slots[k].op == '*') {
                slots[k].value = requireFinite(slots[k + 1].value * slots[k].value);
            } else {
                if (slots[k + 1].value == 0.0) throwDomainError();
                slots[k].value = requireFinite(slots[k].value / slots[k + 1].value);
            }
            slots[k].op = slots[k + 1].op;
            removeSlot(slots, k + 1);
        }
    }
    for (std::size_t k = 0; k + 1 < kSlotCount; ++k) {
        if (slots[k].op == '-') slots[k + 1].value = -slots[k + 1].value;
    }
    double sum = 0.0;
    for (const OperandSlot& slot : slots) sum += slot.value;
    return requireFinite(sum);
}

}  // namespace

double EvaluateNumericExpression(std::string_view expression) {
    if (expression.size() > kMaxExpressionLength) throwExpressionError();

    std::string text;
    text.reserve(expression.size());
    for (const char c : expression) {
        // Blanks, control characters and every byte from 128 up are dropped; "," is a decimal point.
        const auto code = static_cast<unsigned char>(c);
        if (code <= 32 || code >= 128) continue;
        text.push_back(c == ',' ? '.' : c);
    }

    replaceFunctionCalls(text);
    OperandSlots slots = readOperands(text);
    return combineSlots(slots);
}

}  // namespace karvola
