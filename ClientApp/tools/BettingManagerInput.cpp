#include "tools/BettingManagerInput.h"

#include <cmath>

#include "common/NumberTexts.h"

namespace karvola {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

float ReadOrThrow(std::string_view text, BettingManagerField field, const char* error) {
    const auto value = ReadBettingNumber(text);
    if (!value) throw BettingManagerInputError(field, error);
    return *value;
}

}  // namespace

std::optional<float> ReadBettingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const auto value = ParseDecimal(text);
    if (!value) return std::nullopt;
    const float narrowed = NarrowToFloat(*value);
    if (!std::isfinite(narrowed)) return std::nullopt;
    return narrowed;
}

BettingManagerParameters ReadBettingManagerParameters(std::string_view capital, std::string_view r1,
                                                      std::string_view r2) {
    BettingManagerParameters parameters;
    parameters.capital = ReadOrThrow(capital, BettingManagerField::Capital, kInvalidCapital);
    // Stakes are shares of the capital: of none, or of a debt, there is nothing to share.
    if (!(parameters.capital > 0.0F)) throw BettingManagerInputError(BettingManagerField::Capital, kInvalidCapital);
    parameters.r1 = ReadOrThrow(r1, BettingManagerField::R1, kInvalidRent);
    parameters.r2 = ReadOrThrow(r2, BettingManagerField::R2, kInvalidRent);
    return parameters;
}

float ReadCourse(std::string_view text) {
    return ReadOrThrow(text, BettingManagerField::Course, kInvalidCourse);
}

}  // namespace karvola
