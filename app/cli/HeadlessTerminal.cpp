#include "HeadlessTerminal.h"

#include <cstdio>

#include "terminal/StartupBanner.h"
#include "tools/OddsCalculators.h"

namespace karvola::cli {

void MetaCommands::add(std::string name, std::string usage, Handler handler) {
    m_entries.insert_or_assign(std::move(name), Entry{std::move(usage), std::move(handler)});
}

bool MetaCommands::run(std::string_view line) const {
    const auto blank = line.find(' ');
    const std::string_view name = line.substr(0, blank);
    std::string_view argument = blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
    while (!argument.empty() && argument.front() == ' ') argument.remove_prefix(1);
    while (!argument.empty() && argument.back() == ' ') argument.remove_suffix(1);

    const auto entry = m_entries.find(name);
    if (entry == m_entries.end()) return false;
    entry->second.handler(argument);
    return true;
}

std::vector<std::string> MetaCommands::helpLines() const {
    std::vector<std::string> lines;
    for (const auto& [name, entry] : m_entries) lines.push_back(entry.usage);
    return lines;
}

HeadlessTerminal::HeadlessTerminal(HeadlessSettings settings, karvola::TerminalSink& sink)
    : m_settings(std::move(settings)), m_sink(sink), m_terminal(sink, m_settings.decimalSeparator) {
    auto& dispatcher = m_terminal.dispatcher();
    karvola::RegisterOddsCalculators(dispatcher);
    dispatcher.attach("quit", [this](const karvola::CommandArguments&) { ExitMenuItemClick(); });
    addMetaCommands();
}

void HeadlessTerminal::addMetaCommands() {
    m_metaCommands.add(":help", ":help                 this list", [this](std::string_view) {
        for (const auto& line : m_metaCommands.helpLines()) m_sink.appendLine(line);
    });
    m_metaCommands.add(":wait", ":wait                 wait until a running optimization has ended",
                       [](std::string_view) {});
}

void HeadlessTerminal::followHistory(std::function<void(const std::string&)> onLine,
                                     std::function<void()> onCleared) {
    m_onHistoryLine = std::move(onLine);
    m_terminal.history().setClearedCallback(std::move(onCleared));
}

void HeadlessTerminal::startUp() {
    if (m_settings.quiet) return;
    m_sink.appendLine("Initializing....");
    m_sink.repaint();
    for (const auto& line : karvola::StartupBannerLines()) m_sink.appendLine(line);
}

void HeadlessTerminal::run(LineSource& source, karvola::Terminal::Echo echo) {
    while (!m_quitRequested) {
        const auto line = source.nextLine();
        if (!line) break;
        handleLine(*line, echo);
    }
}

void HeadlessTerminal::handleLine(const std::string& line, karvola::Terminal::Echo echo) {
    if (!line.empty() && line.front() == ':') {
        if (!m_metaCommands.run(line)) {
            std::fprintf(stderr, "karvola-cli: unknown meta-command '%s' (type :help for the list)\n",
                         line.c_str());
        }
        return;
    }
    if (!line.empty() && m_onHistoryLine) m_onHistoryLine(line);
    m_terminal.CommandLineEnter(line, echo);
}

// The close query: refused while the optimizer runs, as the window's message box.
void HeadlessTerminal::ExitMenuItemClick() {
    if (m_terminal.flags().IsOptimizing()) {
        m_sink.appendLine("Exit Refuse : Optimization in progress...");
        m_sink.appendLine(" Please type 'break' in command line to stop the engine.");
        return;
    }
    m_quitRequested = true;
}

}  // namespace karvola::cli
