#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DataBaseCreationCommands.h"
#include "LineSources.h"
#include "StatusLine.h"
#include "UpcomingTable.h"
#include "analysis/BankrollChartSvg.h"
#include "analysis/BetsPreviewText.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "terminal/Terminal.h"
#include "web/HttpClient.h"
#include "workstation/Workstation.h"

namespace karvola::cli {

// The terminal's own commands, written with a leading ":". They stand for the
// window's menu items and dialogs: not echoed, not kept in the history.
class MetaCommands final {
public:
    using Handler = std::function<void(std::string_view argument)>;
    // What the handler gets: the rest of the line without its surrounding
    // blanks, or exactly as typed after the one blank that ends the name.
    enum class Argument { Trimmed, Verbatim };

    void add(std::string name, std::string usage, Handler handler, Argument argument = Argument::Trimmed);
    // Runs the line (":name argument"); false when no such meta-command exists.
    bool run(std::string_view line) const;
    // Each entry's usage, then its description in a column of its own wrapped at
    // blanks to the width; a usage too wide for the column puts it below.
    [[nodiscard]] std::vector<std::string> helpLines(std::size_t width) const;

private:
    struct Entry {
        std::string usage;
        Handler handler;
        Argument argument = Argument::Trimmed;
    };
    std::map<std::string, Entry, std::less<>> m_entries;
};

// The words of the text (split at blanks) as lines of at most width characters
// where the words allow, the first after firstLine padded to indent, the others
// after indent blanks.
std::vector<std::string> WrapWords(std::string_view text, std::size_t width, std::size_t indent, std::string firstLine);

// Holds back the start-up lines of a quiet run; passes everything through once opened.
class StartupGate final : public karvola::TerminalSink {
public:
    StartupGate(karvola::TerminalSink& target, bool holdBack) : m_target(target), m_holdBack(holdBack) {}

    void appendLine(std::string_view line) override;
    void clearScreen() override;
    void repaint() override { m_target.repaint(); }

    // Lets lines through from now on and returns those held back.
    std::vector<std::string> open();

private:
    karvola::TerminalSink& m_target;
    std::mutex m_mutex;
    bool m_holdBack;
    std::vector<std::string> m_heldBack;
};

// Whether a line of the terminal says that the command which wrote it failed:
// the error lines begin "Error", "Fatal", "DBMS Error", "DBMS Fatal" or "Acces Denied".
[[nodiscard]] bool IsErrorLine(std::string_view line);

// Passes the lines through and tells of each error line (IsErrorLine) while it
// watches: the start-up's lines and what echo repeats are no command's failure.
class ErrorLineWatch final : public karvola::TerminalSink {
public:
    ErrorLineWatch(karvola::TerminalSink& target, std::function<void()> onError)
        : m_target(target), m_onError(std::move(onError)) {}

    void appendLine(std::string_view line) override;
    void clearScreen() override { m_target.clearScreen(); }
    void repaint() override { m_target.repaint(); }
    void watch(bool on) { m_watching = on; }

private:
    karvola::TerminalSink& m_target;
    std::function<void()> m_onError;
    std::atomic<bool> m_watching = false;
};

struct HeadlessSettings {
    std::filesystem::path applicationDirectory;
    bool quiet = false;
    bool stopOnError = false;  // a script's input ends at its first failed command
    // The application directory had no configuration before this start, and the
    // user is told where the sample base is: on a loud start, or a typed session.
    bool freshHome = false;
    bool typedInput = false;
    char decimalSeparator = '.';
    std::optional<std::string> dataBase;  // loaded at start instead of the configured one
    karvola::ServiceHostChoice service;
    std::optional<std::string> identityKey;  // the upcoming matches' key, instead of the configured one
};

// The main window's terminal without the window: start-up, command lines from a
// source, meta-commands for the menus and dialogs, quit, and the configuration
// written once at the end.
// The key dialog of a terminal without dialogs: the command goes on as after a
// cancelled dialog, and standard error says how to give a key.
class MissingKeyNotice final : public karvola::IdentityKeyPrompt {
public:
    explicit MissingKeyNotice(std::function<void(const std::string&)> fail) : m_fail(std::move(fail)) {}
    bool askForKey(karvola::MatchConfig& config) override;

private:
    std::function<void(const std::string&)> m_fail;
};

class HeadlessTerminal final {
public:
    // Where the lines come from: a script's failures count for the exit status,
    // and its '#' lines are comments; typed lines are the user's to correct.
    enum class Input { Script, Typed };

    HeadlessTerminal(HeadlessSettings settings, karvola::TerminalSink& sink, StatusLine& status,
                     karvola::FileSystem& files, const karvola::Clock& clock, karvola::HttpClient& http);
    ~HeadlessTerminal();
    HeadlessTerminal(const HeadlessTerminal&) = delete;
    HeadlessTerminal& operator=(const HeadlessTerminal&) = delete;

    void startUp();
    // Handles lines until the source ends, quit is accepted or, with stopOnError,
    // a line of a script fails.
    void run(LineSource& source, karvola::Terminal::Echo echo, Input input);
    // Writes the configuration, once; later calls do nothing. Safe from another
    // thread: waits for the line being handled. False when it could not be written.
    bool finish();
    // Waits until a running optimization has ended and written its report.
    void waitForOptimization();
    // Asks a running optimization to stop (the program is being interrupted).
    void interruptOptimization();
    // The program is ending (a signal, a closed output): the command at work ends
    // at its next record and no further line runs. Safe from another thread.
    void stop();
    // Called with every line that enters the history, and when it is cleared.
    void followHistory(std::function<void(const std::string&)> onLine, std::function<void()> onCleared);

    // Whether more input should be read: no quit accepted, no script stopped at an error.
    [[nodiscard]] bool goesOn() const { return !m_quitRequested && !m_stoppedOnError; }
    // A line of a script failed (an error line, a failed :load, a meta-command refused).
    [[nodiscard]] bool scriptFailed() const { return m_scriptFailed; }
    // The base that --db named could not be loaded.
    [[nodiscard]] bool startFailed() const { return m_startFailed; }

private:
    // What the terminal follows of the core's changes: the optimizer's progress
    // (on standard error when it is a terminal) and the clearing of the history.
    class Changes final : public karvola::ChangeObserver {
    public:
        explicit Changes(StatusLine& status) : m_status(status) {}
        void historyCleared() override;
        void optimizationStarted() override;
        void optimizationProgress(int percent) override;
        void optimizationHint(const std::string& hint) override;
        void optimizationEnded() override;

        std::function<void()> onHistoryCleared;

    private:
        void drawProgress();

        StatusLine& m_status;
        std::mutex m_mutex;  // the progress comes from the optimizer's worker thread
        bool m_running = false;
        int m_percent = 0;
        std::string m_hint;
    };

    class CloseDialogs final : public karvola::Workstation::CloseQueryDialogs {
    public:
        explicit CloseDialogs(HeadlessTerminal& terminal) : m_terminal(terminal) {}
        void refuse(std::string_view caption, std::string_view text) override;
        karvola::Workstation::SaveAnswer askToSave(std::string_view caption, std::string_view text) override;
        std::optional<std::string> chooseSaveFile(const std::filesystem::path&) override { return std::nullopt; }

    private:
        HeadlessTerminal& m_terminal;
    };

    void handleLine(const std::string& line, karvola::Terminal::Echo echo);
    // A command failed: an error line went through, or fail() told why.
    void failed();
    // Tells on standard error why a command failed.
    void fail(const std::string& text);
    void diagnostic(const std::string& text) { m_status.diagnostic(text); }
    void addMetaCommands();
    // A message box's text as lines; an error box but for a question.
    void messageBox(std::string_view caption, std::string_view text, bool error = true);
    void showCategories();
    void selectCategories(std::string_view argument);
    void setProperties(std::string_view argument);
    void showPreview();
    void showStatus();
    void showBookmaker(std::string_view name);
    void hideUpcomingMatch(std::string_view argument);
    void identityKey(std::string_view argument);
    void save(std::string_view argument);
    void showOptions(std::string_view argument);
    void exportBets(std::string_view argument);
    void saveChart();
    [[nodiscard]] std::string absolutePath(std::string_view path) const;

    HeadlessSettings m_settings;
    karvola::FileSystem& m_files;
    StatusLine& m_status;
    ErrorLineWatch m_watch;
    StartupGate m_sink;
    karvola::Workstation m_workstation;
    MetaCommands m_metaCommands;
    CloseDialogs m_closeDialogs{*this};
    Changes m_changes;
    DataBaseCreationCommands m_dataBaseCreation;
    UpcomingPrinter m_upcomingPrinter{m_sink, m_workstation.upcoming()};
    // No dialog asks for a missing key: as if it were cancelled (:key or --key give one).
    MissingKeyNotice m_noKeyPrompt{[this](const std::string& text) { fail(text); }};
    karvola::ImmediateExchangeRunner m_immediateExchange;
    std::function<void(const std::string&)> m_onHistoryLine;
    std::mutex m_lineMutex;
    bool m_quitRequested = false;
    bool m_finished = false;
    // Written by the line's thread and by the optimizer's, which reports its errors.
    std::atomic<bool> m_scriptInput = false;
    std::atomic<bool> m_lineFailed = false;
    std::atomic<bool> m_scriptFailed = false;
    bool m_startFailed = false;
    bool m_stoppedOnError = false;
};

}  // namespace karvola::cli
