#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/OptimizationFlags.h"
#include "common/TerminalSink.h"
#include "common/wvector.h"
#include "expressions/Tokenizer.h"
#include "terminal/CommandHistory.h"

namespace karvola {

// What the dispatcher hands to a command's action, already parsed by the
// command's syntax. Only the fields of that syntax are filled.
struct CommandArguments {
    std::string_view line;           // the trimmed line, as typed
    std::vector<std::string> texts;  // the token texts after the command word, as typed
    std::string rest;                // rest-of-line commands: the rest in upper case (pe_sim: without its {group})
    wvector vector;                  // result, sim, upcoming: the typed rule with its offsets
    float fraction = 0.0f;           // sim, pe_sim: the Kelly fraction
    double number = 0.0;             // opt: the evaluated span
};

// Executes command lines: trims them, evaluates "=" lines, cuts the others into
// tokens and finds the command by its word and token count, in the fixed order
// of the command table. The table fixes every command's syntax, guards and
// dispatcher-level errors; the subsystems attach the actions that give the
// commands their meaning. A command without an action is not built yet and
// ends like an unknown command.
class CommandDispatcher final {
public:
    using Action = std::function<void(const CommandArguments&)>;

    CommandDispatcher(TerminalSink& sink, CommandHistory& history, OptimizationFlags& flags, char decimalSeparator);

    CommandDispatcher(const CommandDispatcher&) = delete;
    CommandDispatcher& operator=(const CommandDispatcher&) = delete;

    // Attaches the action of a command of the table; a word outside the table is
    // a programming error (std::invalid_argument), and so is a second action for
    // one command (std::logic_error): each subsystem registers its own at start-up.
    void attach(std::string_view word, Action action);

    void DispatchCommand(std::string_view line);

    [[nodiscard]] bool IsOptimizing() const { return m_flags.IsOptimizing(); }
    [[nodiscard]] TerminalSink& sink() const { return m_sink; }
    [[nodiscard]] char decimalSeparator() const { return m_decimalSeparator; }

private:
    void evaluateLine(std::string_view expression);
    void attachOwnCommands();

    TerminalSink& m_sink;
    CommandHistory& m_history;
    OptimizationFlags& m_flags;
    char m_decimalSeparator;
    Tokenizer m_tokenizer;
    std::map<std::string, Action, std::less<>> m_actions;
};

// Every command word of the table once, in the table's order ("=" lines are no
// command of it): what the user guide must explain.
[[nodiscard]] std::vector<std::string_view> CommandWords();

}  // namespace karvola
