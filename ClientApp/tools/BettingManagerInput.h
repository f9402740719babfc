#pragma once

#include <optional>
#include <stdexcept>
#include <string_view>

#include "tools/BettingManager.h"

namespace karvola {

inline constexpr const char* kInvalidCourse = "Invalid course value";
inline constexpr const char* kInvalidCapital = "Invalid Capital Ballance value";
inline constexpr const char* kInvalidRent = "Invalid Rent value";

// The betting manager's number fields, for the focus after an error.
enum class BettingManagerField { Capital, R1, R2, Course };

// A number the betting manager cannot use: the text its message box shows and
// the field it came from.
class BettingManagerInputError final : public std::logic_error {
public:
    BettingManagerInputError(BettingManagerField field, const char* text) : std::logic_error(text), m_field(field) {}

    [[nodiscard]] BettingManagerField field() const { return m_field; }

private:
    BettingManagerField m_field;
};

// A number as typed into the betting manager: "," or "." as decimal separator,
// whatever the locale, blanks around it allowed. None unless the whole text is
// a number and it is a finite 32-bit float.
[[nodiscard]] std::optional<float> ReadBettingNumber(std::string_view text);

// The capital and the expected returns at odds 1.45 and 2.60, read in that
// order; the first that fails throws. A capital must be above 0.
[[nodiscard]] BettingManagerParameters ReadBettingManagerParameters(std::string_view capital, std::string_view r1,
                                                                    std::string_view r2);

// A bet's odds ("course") as typed.
[[nodiscard]] float ReadCourse(std::string_view text);

}  // namespace karvola
