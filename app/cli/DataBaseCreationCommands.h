#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"

namespace karvola::cli {

// The words of a meta-command's argument: blanks separate them, double quotes
// keep blanks inside one ("My Data/source.txt").
std::vector<std::string> SplitArguments(std::string_view text);

// The terminal's side of data base creation: :convert runs the database creation
// wizard's conversion, :import turns football-data.co.uk CSV files into a data
// source for it.
class DataBaseCreationCommands final {
public:
    struct Hooks {
        std::function<std::string(std::string_view path)> absolutePath;  // from the working folder
        std::function<void(std::string_view caption, std::string_view text)> messageBox;
        std::function<void(const std::string& text)> diagnostic;  // standard error
        std::function<void(const std::string& text)> progress;    // the progress line's text, if any
        std::function<void()> progressEnded;                      // the progress line's end
    };

    DataBaseCreationCommands(TerminalSink& sink, FileSystem& files, const Clock& clock, Hooks hooks);

    // :convert SOURCE BASE TZ BOOKMAKER... | all
    void convert(std::string_view arguments);
    // :import [-z HOURS] [--fixtures] SOURCE CSV|FOLDER...
    void import(std::string_view arguments);
    // The program is ending: a conversion stops at its next record. Any thread.
    void stop() { m_stopRequested = true; }

private:
    TerminalSink& m_sink;
    FileSystem& m_files;
    const Clock& m_clock;
    Hooks m_hooks;
    std::atomic<bool> m_stopRequested = false;
};

}  // namespace karvola::cli
