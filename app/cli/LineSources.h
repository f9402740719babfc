#pragma once

#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"

namespace karvola::cli {

// Where command lines come from. Lines are split at LF; one CR before the LF is
// dropped; nothing else is trimmed.
class LineSource {
public:
    virtual ~LineSource() = default;
    // The next line, or nothing at the end of the input.
    virtual std::optional<std::string> nextLine() = 0;
};

// Lines given on the command line (-e); a text holding LF gives several lines.
class TextLineSource final : public LineSource {
public:
    explicit TextLineSource(const std::vector<std::string>& texts);
    std::optional<std::string> nextLine() override;

private:
    std::deque<std::string> m_lines;
};

// Lines read from a stream: standard input or a script file.
class StreamLineSource final : public LineSource {
public:
    // Does not take ownership of stream.
    explicit StreamLineSource(std::FILE* stream);
    // Opens the file; throws std::runtime_error with a readable text when it cannot.
    explicit StreamLineSource(const std::filesystem::path& file);
    ~StreamLineSource() override;
    StreamLineSource(const StreamLineSource&) = delete;
    StreamLineSource& operator=(const StreamLineSource&) = delete;

    std::optional<std::string> nextLine() override;

private:
    std::FILE* m_stream;
    bool m_owned;
};

// Typed lines with editing, history (arrow keys, Ctrl-R search) and a history
// file kept across runs, saved after every line. Prompt and editing go to
// standard error. A history that cannot be saved leaves the old file as it was
// and is told through the diagnostic, once until a save works again, so that a
// full disk does not repeat the line after every command.
class EditLineSource final : public LineSource {
public:
    using Diagnostic = std::function<void(const std::string&)>;

    EditLineSource(std::string prompt, std::filesystem::path historyFile, karvola::FileSystem& files,
                   Diagnostic diagnostic);
    ~EditLineSource() override;
    EditLineSource(const EditLineSource&) = delete;
    EditLineSource& operator=(const EditLineSource&) = delete;

    std::optional<std::string> nextLine() override;
    void rememberLine(const std::string& line);
    void clearHistory();

private:
    struct Editor;
    std::unique_ptr<Editor> m_editor;
};

// Splits a text into lines by the same rules as the sources above.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace karvola::cli
