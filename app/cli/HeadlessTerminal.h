#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "LineSources.h"
#include "terminal/Terminal.h"
#include "terminal/TerminalSink.h"

namespace karvola::cli {

// The terminal's own commands, written with a leading ":". They stand for the
// window's menu items and dialogs: not echoed, not kept in the history.
class MetaCommands final {
public:
    using Handler = std::function<void(std::string_view argument)>;

    void add(std::string name, std::string usage, Handler handler);
    // Runs the line (":name argument"); false when no such meta-command exists.
    bool run(std::string_view line) const;
    [[nodiscard]] std::vector<std::string> helpLines() const;

private:
    struct Entry {
        std::string usage;
        Handler handler;
    };
    std::map<std::string, Entry, std::less<>> m_entries;
};

struct HeadlessSettings {
    std::filesystem::path applicationDirectory;
    bool quiet = false;
    char decimalSeparator = '.';
};

// The main window's terminal without the window: start-up lines, command lines
// from a source, meta-commands, and quit.
class HeadlessTerminal final {
public:
    HeadlessTerminal(HeadlessSettings settings, karvola::TerminalSink& sink);

    void startUp();
    // Handles lines until the source ends or quit is accepted.
    void run(LineSource& source, karvola::Terminal::Echo echo);
    // Called with every line that enters the history, and when it is cleared.
    void followHistory(std::function<void(const std::string&)> onLine, std::function<void()> onCleared);

    [[nodiscard]] bool quitRequested() const { return m_quitRequested; }

private:
    void handleLine(const std::string& line, karvola::Terminal::Echo echo);
    void ExitMenuItemClick();
    void addMetaCommands();

    HeadlessSettings m_settings;
    karvola::TerminalSink& m_sink;
    karvola::Terminal m_terminal;
    MetaCommands m_metaCommands;
    std::function<void(const std::string&)> m_onHistoryLine;
    bool m_quitRequested = false;
};

}  // namespace karvola::cli
