#pragma once

#include <string_view>

namespace karvola {

// The program's calculator: function calls are computed first and written back
// into the text with 15 significant digits, then the flat text is cut into
// operands and operators combined by precedence ("^" from the left, then "*" and
// "/", then "+" and "-"). Function names are recognized in upper case only; the
// caller decides the case. Throws std::logic_error with "Error in expression",
// "Domain error" or "Unmatched brackets". Text beyond the working buffers (999
// characters, 99 for a bracket group or a number, 99 operators in one bracket
// level) is an error in expression; a result that is not finite (overflow, 0 to a
// negative power, a negative number to a fraction) is a domain error, so the
// value returned is always finite. Stateless and thread-safe.
double EvaluateNumericExpression(std::string_view expression);

}  // namespace karvola
