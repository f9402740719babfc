#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "common/ChangeObserver.h"
#include "common/OptimizationFlags.h"
#include "expressions/Tokenizer.h"
#include "terminal/CommandDispatcher.h"
#include "terminal/CommandHistory.h"

using namespace karvola;

// Command lines as typed, one per input line, through the tokenizer and the
// dispatcher with only its own commands attached: the table's syntax checks,
// the "=" lines, the guards and the unknown-command messages see every byte.
// The tokens must give back the line's non-blank characters in order.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = fuzz::TextOf(data, size);
    fuzz::CountingSink sink;
    ChangeObserver observer;
    CommandHistory history(observer);
    OptimizationFlags flags;
    CommandDispatcher dispatcher(sink, history, flags, ',');
    const Tokenizer tokenizer = Tokenizer::ForCommandLine();
    for (int line = 0; line < 64 && !text.empty(); ++line) {
        const std::size_t end = text.find('\n');
        const std::string_view command = text.substr(0, end);
        std::string joined;
        for (const auto& token : tokenizer.tokenize(command)) joined += token.text;
        std::string expected;
        for (const char c : command) {
            if (c != ' ') expected += c;
        }
        KARVOLA_FUZZ_EXPECT(joined == expected);
        dispatcher.DispatchCommand(command);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return 0;
}
