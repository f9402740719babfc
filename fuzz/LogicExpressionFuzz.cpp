#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "expressions/LogicExpression.h"

using namespace karvola;

// A condition of rsr and of every rule reaches the reader as typed. It must give
// a finite value (0 or 1 when it compares) or a std::logic_error with a message,
// and a second evaluation of the same expression must give the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    logic_expression_t expression{std::string(fuzz::TextOf(data, size))};
    try {
        const double value = expression.evaluate();
        KARVOLA_FUZZ_EXPECT(std::isfinite(value));
        KARVOLA_FUZZ_EXPECT(expression.evaluate() == value);
    } catch (const std::logic_error& error) {
        KARVOLA_FUZZ_EXPECT(*error.what() != '\0');
    }
    return 0;
}
