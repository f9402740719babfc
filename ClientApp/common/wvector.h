#pragma once

namespace karvola {

// The three-number betting rule [kmin kMax CRZ], held as 32-bit floats.
struct wvector {
    float kmin = 0.0f;
    float kMax = 0.0f;
    float CRZ = 0.0f;

    // A rule as the user typed it: the bounds are widened by the 32-bit constant
    // 0.0001 so that odds equal to a typed bound count as inside it despite float
    // rounding. Computed in extended precision, rounded once when stored.
    static wvector FromTypedBounds(double kmin, double kMax, double crz) {
        constexpr long double kOffset = 0.0001f;
        return wvector{static_cast<float>(static_cast<long double>(kmin) - kOffset),
                       static_cast<float>(static_cast<long double>(kMax) + kOffset),
                       static_cast<float>(static_cast<long double>(crz) - kOffset)};
    }
};

}  // namespace karvola
