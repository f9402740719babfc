#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "expressions/PredictExpression.h"

using namespace karvola;

namespace {

// Odds as a base holds them, and the extremes a 32-bit float allows.
constexpr std::array<std::array<float, 3>, 4> kMatches{{
    {1.85f, 3.4f, 4.2f},
    {1.0f, 1.0f, 1.0f},
    {std::numeric_limits<float>::max(), 1.01f, 999.0f},
    {0.0f, std::numeric_limits<float>::denorm_min(), 2.5f},
}};

}  // namespace

// A betting rule of pe_result, pe_sim and pe_upcoming as typed: every
// evaluation gives a prediction code or raises the rule's fault, and the same
// match always gets the same answer.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PredictExpression rule{std::string(fuzz::TextOf(data, size))};
    for (const auto& odds : kMatches) {
        try {
            const std::uint8_t prediction = rule.evaluate(odds[0], odds[1], odds[2]);
            KARVOLA_FUZZ_EXPECT(prediction <= PredictExpression::NO_BET);
            KARVOLA_FUZZ_EXPECT(rule.evaluate(odds[0], odds[1], odds[2]) == prediction);
        } catch (const std::logic_error& error) {
            KARVOLA_FUZZ_EXPECT(*error.what() != '\0');
        }
    }
    return 0;
}
