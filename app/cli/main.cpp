// karvola-cli: the Karvola terminal without its window, for scripts, servers and tests.
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "CliOptions.h"
#include "ConsoleSink.h"
#include "HeadlessTerminal.h"
#include "LineSources.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "config/ApplicationDirectory.h"
#include "config/FirstStart.h"
#include "options/SignalWatcher.h"
#include "web/CurlHttpClient.h"

namespace {

using karvola::options::kWrongOptions;

// The line editor changes the terminal's modes; a signal must not leave them so.
class TerminalModes final {
public:
    TerminalModes() : m_saved(isatty(STDIN_FILENO) != 0 && tcgetattr(STDIN_FILENO, &m_modes) == 0) {}
    void restore() const {
        if (m_saved) tcsetattr(STDIN_FILENO, TCSANOW, &m_modes);
    }

private:
    termios m_modes{};
    bool m_saved;
};

int Run(const karvola::cli::CliOptions& options) {
    // A write beyond the file size limit must fail like any other write error, and
    // so must a write into a pipe whose reader went away (karvola-cli ... | head).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    const auto directory = options.common.applicationDirectory();
    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    try {
        karvola::EnsureApplicationLayout(directory);
        for (const auto& problem : karvola::SeedFirstStart(directory, files, clock)) {
            std::fprintf(stderr, "karvola-cli: %s\n", problem.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "karvola-cli: cannot use the application directory %s: %s\n", directory.c_str(),
                     error.what());
        if (options.common.home) return kWrongOptions;
    }

    std::unique_ptr<karvola::cli::StreamLineSource> script;
    if (options.script) {
        try {
            script = std::make_unique<karvola::cli::StreamLineSource>(*options.script);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "karvola-cli: %s\n", error.what());
            return kWrongOptions;
        }
    }

    karvola::cli::ConsoleSink sink(stdout);
    karvola::CurlHttpClient http;
    karvola::cli::HeadlessTerminal terminal(
        {.applicationDirectory = directory,
         .quiet = options.quiet,
         .decimalSeparator = karvola::UserDecimalSeparator(),
         .dataBase = options.common.dataBaseFile(),
         .service = options.common.serviceHost(),
         .identityKey = options.key.empty() ? std::nullopt : std::optional(options.key)},
        sink, files, clock, http);
    const TerminalModes modes;
    sink.setClosedHandler([&terminal] { terminal.stop(); });
    const karvola::options::SignalWatcher signals([&terminal, &modes](int) {
        terminal.stop();
        terminal.finish();
        modes.restore();
    });
    terminal.startUp();

    karvola::cli::TextLineSource givenLines(options.lines);
    terminal.run(givenLines, karvola::Terminal::Echo::Shown);
    if (script && !terminal.quitRequested()) terminal.run(*script, karvola::Terminal::Echo::Shown);
    if (options.lines.empty() && !script && !terminal.quitRequested()) {
        if (isatty(STDIN_FILENO) != 0) {
            karvola::cli::EditLineSource editor(">", directory / "karvola_history", files, [](const std::string& text) {
                std::fprintf(stderr, "karvola-cli: %s\n", text.c_str());
            });
            terminal.followHistory([&editor](const std::string& line) { editor.rememberLine(line); },
                                   [&editor] { editor.clearHistory(); });
            // The user sees the typed line already; a redirected output still gets it.
            const auto echo =
                isatty(STDOUT_FILENO) != 0 ? karvola::Terminal::Echo::Hidden : karvola::Terminal::Echo::Shown;
            terminal.run(editor, echo);
            terminal.followHistory({}, {});
        } else {
            karvola::cli::StreamLineSource input(stdin);
            terminal.run(input, karvola::Terminal::Echo::Shown);
        }
    }
    // The end of the input waits for a running optimization and its report.
    terminal.waitForOptimization();
    terminal.finish();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = karvola::cli::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* early = std::get_if<karvola::options::EarlyExit>(&parsed)) return early->deliver();
    return Run(std::get<karvola::cli::CliOptions>(parsed));
}
