#pragma once

#include <string_view>

namespace karvola {

// The program's calculator: function calls are computed first and written back
// into the text with 15 significant digits, then the flat text is cut into
// operands and operators combined by precedence ("^" from the left, then "*" and
// "/", then "+" and "-"). Function names are recognized in upper case only; the
// caller decides the case. Throws std::logic_error with "Error in expression",
// "Domain error" or "Unmatched brackets". Stateless and thread-safe.
double EvaluateNumericExpression(std::string_view expression);

}  // namespace karvola
