// karvola-cli: the Karvola terminal without its window, for scripts, servers and tests.
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
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
#include "StatusLine.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "config/ApplicationDirectory.h"
#include "config/FirstStart.h"
#include "config/MatchConfig.h"
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

// Whether standard input holds lines that nobody will read: a file with content
// or a pipe with data waiting. A terminal or /dev/null holds none.
bool UnreadInputWaits() {
    struct stat status {};
    if (fstat(STDIN_FILENO, &status) != 0) return false;
    if (S_ISREG(status.st_mode)) return lseek(STDIN_FILENO, 0, SEEK_CUR) < status.st_size;
    if (!S_ISFIFO(status.st_mode) && !S_ISSOCK(status.st_mode)) return false;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, 0) == 1 && (input.revents & POLLIN) != 0;
}

using Input = karvola::cli::HeadlessTerminal::Input;

int Run(const karvola::cli::CliOptions& options) {
    // A write beyond the file size limit must fail like any other write error, and
    // so must a write into a pipe whose reader went away (karvola-cli ... | head).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    const auto directory = options.common.applicationDirectory();
    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::cli::StatusLine status(stderr, karvola::cli::StatusLine::Drawable(stderr));
    const bool freshHome = !files.exists(directory / karvola::MatchConfig::kFileName);
    try {
        karvola::EnsureApplicationLayout(directory);
        for (const auto& problem : karvola::SeedFirstStart(directory, files, clock)) status.diagnostic(problem);
    } catch (const std::exception& error) {
        status.diagnostic("cannot use the application directory " + directory.string() + ": " + error.what());
        if (options.common.home) return kWrongOptions;
    }

    const bool scriptIsInput = options.script && *options.script == "-";
    std::unique_ptr<karvola::cli::StreamLineSource> script;
    if (scriptIsInput) {
        script = std::make_unique<karvola::cli::StreamLineSource>(stdin);
    } else if (options.script) {
        try {
            script = std::make_unique<karvola::cli::StreamLineSource>(*options.script);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "karvola-cli: %s\n", error.what());
            return kWrongOptions;
        }
    }

    // The progress line is wiped before an output line only where both share a screen.
    karvola::cli::ConsoleSink sink(stdout, isatty(STDOUT_FILENO) != 0 ? &status : nullptr);
    karvola::CurlHttpClient http;
    karvola::cli::HeadlessTerminal terminal(
        {.applicationDirectory = directory,
         .quiet = options.quiet,
         .stopOnError = options.stopOnError,
         .freshHome = freshHome,
         .typedInput = options.lines.empty() && !script && isatty(STDIN_FILENO) != 0,
         .decimalSeparator = karvola::UserDecimalSeparator(),
         .dataBase = options.common.dataBaseFile(),
         .service = options.common.serviceHost(),
         .identityKey = options.key.empty() ? std::nullopt : std::optional(options.key)},
        sink, status, files, clock, http);
    const TerminalModes modes;
    sink.setClosedHandler([&terminal] { terminal.stop(); });
    const karvola::options::SignalWatcher signals([&terminal, &modes, &status](int) {
        status.clear();
        terminal.stop();
        terminal.finish();
        modes.restore();
    });
    terminal.startUp();

    karvola::cli::TextLineSource givenLines(options.lines);
    terminal.run(givenLines, karvola::Terminal::Echo::Shown, Input::Script);
    if (script && terminal.goesOn()) terminal.run(*script, karvola::Terminal::Echo::Shown, Input::Script);
    bool typed = false;
    if (options.lines.empty() && !script && terminal.goesOn()) {
        if (isatty(STDIN_FILENO) != 0) {
            typed = true;
            karvola::cli::EditLineSource editor(">", directory / "karvola_history", files,
                                                [&status](const std::string& text) { status.diagnostic(text); });
            terminal.followHistory([&editor](const std::string& line) { editor.rememberLine(line); },
                                   [&editor] { editor.clearHistory(); });
            // The user sees the typed line already; a redirected output still gets it.
            const auto echo =
                isatty(STDOUT_FILENO) != 0 ? karvola::Terminal::Echo::Hidden : karvola::Terminal::Echo::Shown;
            terminal.run(editor, echo, Input::Typed);
            terminal.followHistory({}, {});
        } else {
            karvola::cli::StreamLineSource input(stdin);
            terminal.run(input, karvola::Terminal::Echo::Shown, Input::Script);
        }
    }
    // The end of the input waits for a running optimization and its report.
    terminal.waitForOptimization();
    const bool saved = terminal.finish();
    if (!options.lines.empty() && !script && UnreadInputWaits()) {
        status.diagnostic(
            "standard input was not read: the -e lines run instead of it (give - as SCRIPT to run it "
            "after them)");
    }
    if (const auto error = sink.writeError()) {
        // A reader that went away (karvola-cli ... | head) ends it as the signal would.
        if (*error == EPIPE) return 128 + SIGPIPE;
        status.diagnostic(std::string("cannot write to standard output: ") + std::strerror(*error));
        return 1;
    }
    const bool failed = terminal.scriptFailed() || (terminal.startFailed() && !typed);
    return failed || !saved ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = karvola::cli::ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* early = std::get_if<karvola::options::EarlyExit>(&parsed)) return early->deliver();
    return Run(std::get<karvola::cli::CliOptions>(parsed));
}
