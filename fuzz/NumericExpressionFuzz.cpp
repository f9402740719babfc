#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "expressions/NumericExpression.h"

// Every command argument reaches the evaluator as typed, so any byte string is possible input. It must
// give a finite value or one of the evaluator's three messages: no crash, no hang, no INF or NAN.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        if (!std::isfinite(karvola::EvaluateNumericExpression(text))) std::abort();
    } catch (const std::logic_error& error) {
        const std::string_view message = error.what();
        if (message != "Error in expression" && message != "Domain error" && message != "Unmatched brackets") {
            std::abort();
        }
    }
    return 0;
}
