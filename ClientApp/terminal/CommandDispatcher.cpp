#include "terminal/CommandDispatcher.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <stdexcept>

#include "common/NumberTexts.h"
#include "common/StopRequest.h"
#include "expressions/NumericExpression.h"

namespace karvola {

namespace {

constexpr std::string_view kIncorrectCommand = "Error : Incorrect command or arguments";
constexpr std::string_view kBusy = kOptimizationInProgress;
constexpr std::string_view kEngineBusy = "Acces Denied : Optimization engine is bussy.";

// How a command's line turns into its arguments.
enum class Syntax {
    Plain,               // the token texts after the command word
    RestOfLine,          // everything after the command word, in upper case
    FractionAndRest,     // pe_sim: a {fraction} group taken out of the upper-case rest
    Wvector,             // [kmin kMax CRZ]
    WvectorAndFraction,  // [kmin kMax CRZ] fraction
    Number,              // one evaluated argument
};

struct TokenCount {
    std::size_t count;
    bool orMore;
    [[nodiscard]] constexpr bool admits(std::size_t n) const { return orMore ? n >= count : n == count; }
};
constexpr TokenCount Exactly(std::size_t n) {
    return {n, false};
}
constexpr TokenCount AtLeast(std::size_t n) {
    return {n, true};
}

struct CommandRule {
    std::string_view word;
    TokenCount tokens;
    Syntax syntax = Syntax::Plain;
    std::string_view errorPrefix = "Error : ";         // written before the text of an error the command raises
    std::string_view busyRefusal = {};                 // non-empty: refused while the optimizer runs
    std::array<std::string_view, 2> syntaxError = {};  // wvector commands: the lines for misplaced brackets
};

// The commands in the order their lines are tested: the first rule whose word and
// token count fit the line runs it.
constexpr std::array kCommandTable{
    CommandRule{"pe_result", AtLeast(1), Syntax::RestOfLine},
    CommandRule{"pe_upcoming", AtLeast(1), Syntax::RestOfLine},
    CommandRule{"rsr", AtLeast(1), Syntax::RestOfLine, "Error : ", kBusy},
    CommandRule{"pe_sim", AtLeast(1), Syntax::FractionAndRest},
    CommandRule{"quit", Exactly(1)},
    CommandRule{"clear", Exactly(1)},
    CommandRule{"break", Exactly(1)},
    CommandRule{"sch", Exactly(1)},
    CommandRule{"sbp", Exactly(1)},
    CommandRule{"histclr", Exactly(1)},
    CommandRule{"sim",
                Exactly(7),
                Syntax::WvectorAndFraction,
                "Error : ",
                {},
                {R"(Error : "sim" command requires 3-dimension wvector as argument and Kelly fraction)",
                 R"(        syntax is: "sim [kmin kMax CRZ] fraction" )"}},
    CommandRule{"result",
                Exactly(6),
                Syntax::Wvector,
                "Error : ",
                {},
                {R"(Error : "result" command requires 3-dimension wvector as argument)", {}}},
    CommandRule{"upcoming",
                Exactly(6),
                Syntax::Wvector,
                "Error : ",
                {},
                {R"(Error : "upcoming" command requires 3-dimension wvector as argument)", {}}},
    CommandRule{"testb", Exactly(5), Syntax::Plain, "Error: "},
    CommandRule{"cr_res2", AtLeast(3)},
    CommandRule{"cr_res3", AtLeast(4)},
    CommandRule{"drange", AtLeast(3), Syntax::Plain, "", kBusy},
    CommandRule{"rem", AtLeast(2)},
    CommandRule{"echo", AtLeast(2)},
    CommandRule{"opt", AtLeast(2), Syntax::Number, "Error : ", kBusy},
    CommandRule{"struct", AtLeast(2), Syntax::Plain, "Error : ", kEngineBusy},
};

const CommandRule* FindRule(std::string_view word) {
    const auto* found = std::find_if(kCommandTable.begin(), kCommandTable.end(),
                                     [word](const CommandRule& rule) { return rule.word == word; });
    return found == kCommandTable.end() ? nullptr : found;
}

// Characters 0 to 32 (blanks and control characters) are trimmed from both ends.
std::string_view TrimControls(std::string_view line) {
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!line.empty() && isControl(line.front())) line.remove_prefix(1);
    while (!line.empty() && isControl(line.back())) line.remove_suffix(1);
    return line;
}

std::string ToUpper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    return upper;
}

// Takes the {fraction} group out of pe_sim's rest and evaluates the fraction.
void ParseFractionGroup(CommandArguments& arguments) {
    std::string& rest = arguments.rest;
    const auto open = rest.find('{');
    const auto close = rest.find('}');
    // A "}" before the first "{" does not close a group: the braces are missing.
    if (open == std::string::npos || close == std::string::npos || close < open) {
        throw std::logic_error(
            R"(fraction of bankroll required for betting simulation -> insert {x} after "pe_sim", where "x" is fraction e.g. 0.05)");
    }
    if (close == open + 1) {
        throw std::logic_error(
            R"(fraction of bankroll required for betting simulation -> insert value in {} after "pe_sim" e.g. 0.05)");
    }
    arguments.fraction = static_cast<float>(EvaluateNumericExpression(rest.substr(open + 1, close - open - 1)));
    rest.erase(open, close - open + 1);
}

}  // namespace

std::vector<std::string_view> CommandWords() {
    std::vector<std::string_view> words;
    for (const CommandRule& rule : kCommandTable) {
        if (std::find(words.begin(), words.end(), rule.word) == words.end()) words.push_back(rule.word);
    }
    return words;
}

CommandDispatcher::CommandDispatcher(TerminalSink& sink, CommandHistory& history, OptimizationFlags& flags,
                                     char decimalSeparator)
    : m_sink(sink),
      m_history(history),
      m_flags(flags),
      m_decimalSeparator(decimalSeparator),
      m_tokenizer(Tokenizer::ForCommandLine()) {
    attachOwnCommands();
}

void CommandDispatcher::attach(std::string_view word, Action action) {
    if (FindRule(word) == nullptr) throw std::invalid_argument("no such command: " + std::string(word));
    if (!m_actions.emplace(std::string(word), std::move(action)).second) {
        throw std::logic_error("command attached twice: " + std::string(word));
    }
}

void CommandDispatcher::attachOwnCommands() {
    attach("rem", [](const CommandArguments&) {});
    // The text from the sixth character on: "echo  two" writes " two".
    attach("echo", [this](const CommandArguments& arguments) { m_sink.appendLine(arguments.line.substr(5)); });
    attach("clear", [this](const CommandArguments&) { m_sink.clearScreen(); });
    attach("histclr", [this](const CommandArguments&) {
        m_sink.appendLine("Command line history is clean");
        m_history.clear();
    });
    attach("break", [this](const CommandArguments&) {
        if (!m_flags.IsOptimizing()) return;
        m_sink.appendLine("wait...");
        m_flags.BreakRequested = true;
    });
}

void CommandDispatcher::DispatchCommand(std::string_view typedLine) {
    const std::string_view line = TrimControls(typedLine);
    if (line.empty()) return;

    if (line.front() == '=' && line.size() > 1) {
        evaluateLine(ToUpper(line.substr(1)));
        return;
    }

    const std::vector<Tokenizer::token_t> tokens = m_tokenizer.tokenize(line);
    const CommandRule* rule = tokens.empty() ? nullptr : FindRule(tokens.front().text);
    if (rule == nullptr || !rule->tokens.admits(tokens.size())) {
        m_sink.appendLine(kIncorrectCommand);
        return;
    }
    if (!rule->busyRefusal.empty() && IsOptimizing()) {
        m_sink.appendLine(rule->busyRefusal);
        return;
    }

    CommandArguments arguments;
    arguments.line = line;
    for (std::size_t i = 1; i < tokens.size(); ++i) arguments.texts.push_back(tokens[i].text);

    const bool wvectorSyntax = rule->syntax == Syntax::Wvector || rule->syntax == Syntax::WvectorAndFraction;
    if (wvectorSyntax && (arguments.texts[0] != "[" || arguments.texts[4] != "]")) {
        for (const std::string_view errorLine : rule->syntaxError) {
            if (!errorLine.empty()) m_sink.appendLine(errorLine);
        }
        return;
    }

    try {
        switch (rule->syntax) {
            case Syntax::Plain:
                break;
            case Syntax::RestOfLine:
                arguments.rest = ToUpper(line.substr(rule->word.size()));
                break;
            case Syntax::FractionAndRest:
                arguments.rest = ToUpper(line.substr(rule->word.size()));
                ParseFractionGroup(arguments);
                break;
            case Syntax::Wvector:
            case Syntax::WvectorAndFraction: {
                // One after the other: the first faulty bound is the one reported.
                const double kmin = EvaluateNumericExpression(arguments.texts[1]);
                const double kMax = EvaluateNumericExpression(arguments.texts[2]);
                const double crz = EvaluateNumericExpression(arguments.texts[3]);
                arguments.vector = wvector::FromTypedBounds(kmin, kMax, crz);
            }
                if (rule->syntax == Syntax::WvectorAndFraction) {
                    arguments.fraction = static_cast<float>(EvaluateNumericExpression(arguments.texts[5]));
                }
                break;
            case Syntax::Number:
                arguments.number = EvaluateNumericExpression(arguments.texts[0]);
                break;
        }
        // The syntax above is the terminal's own; the meaning comes from the
        // subsystem that attached the action. Until then the command is unknown.
        const auto action = m_actions.find(rule->word);
        if (action == m_actions.end()) {
            m_sink.appendLine(kIncorrectCommand);
            return;
        }
        action->second(arguments);
    } catch (const CommandStopped&) {
        // Asked to stop: the program is ending, and the command ends without a word.
    } catch (const std::exception& error) {
        // One faulty command never ends the program: its error becomes a line.
        m_sink.appendLine(std::string(rule->errorPrefix) + error.what());
    }
}

void CommandDispatcher::evaluateLine(std::string_view expression) {
    double result = 0.0;
    try {
        result = EvaluateNumericExpression(expression);
    } catch (const std::exception& error) {
        m_sink.appendLine(std::string("Error : ") + error.what());
    }
    m_sink.appendLine(FormatGeneral(result, m_decimalSeparator));
}

}  // namespace karvola
