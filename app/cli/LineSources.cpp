#include "LineSources.h"

#include <histedit.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace karvola::cli {

namespace {

void DropLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string line(text.substr(0, end == std::string_view::npos ? text.size() : end + 1));
        DropLineEnd(line);
        lines.push_back(std::move(line));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

TextLineSource::TextLineSource(const std::vector<std::string>& texts) {
    for (const auto& text : texts) {
        if (text.empty()) {
            m_lines.emplace_back();
            continue;
        }
        for (auto& line : SplitLines(text)) m_lines.push_back(std::move(line));
    }
}

std::optional<std::string> TextLineSource::nextLine() {
    if (m_lines.empty()) return std::nullopt;
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

StreamLineSource::StreamLineSource(std::FILE* stream) : m_stream(stream), m_owned(false) {}

StreamLineSource::StreamLineSource(const std::filesystem::path& file)
    : m_stream(std::fopen(file.c_str(), "rb")), m_owned(true) {
    if (m_stream == nullptr) {
        throw std::runtime_error("cannot read " + file.string() + ": " + std::strerror(errno));
    }
}

StreamLineSource::~StreamLineSource() {
    if (m_owned) std::fclose(m_stream);
}

std::optional<std::string> StreamLineSource::nextLine() {
    std::string line;
    int c = 0;
    while ((c = std::fgetc(m_stream)) != EOF) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    if (line.empty()) return std::nullopt;
    DropLineEnd(line);
    return line;
}

struct EditLineSource::Editor {
    EditLine* edit = nullptr;
    History* history = nullptr;
    HistEvent event{};
    std::string prompt;
    std::filesystem::path historyFile;
    karvola::FileSystem* files = nullptr;
    Diagnostic diagnostic;
    bool failureTold = false;

    static char* promptOf(EditLine* edit) {
        void* data = nullptr;
        el_get(edit, EL_CLIENTDATA, &data);
        return static_cast<Editor*>(data)->prompt.data();
    }

    void save() {
        const bool saved = write();
        if (!saved && !failureTold && diagnostic)
            diagnostic("could not save the command history to " + historyFile.string());
        failureTold = !saved;
    }

    // The history goes to an anonymous file first (the library writes only to a
    // real file) and then replaces the saved one whole, so that a full disk or a
    // kill never leaves it cut short.
    bool write() {
        const std::unique_ptr<std::FILE, decltype(&std::fclose)> scratch(std::tmpfile(), &std::fclose);
        if (!scratch || ::history(history, &event, H_SAVE_FP, scratch.get()) < 0) return false;
        if (std::fflush(scratch.get()) != 0) return false;
        std::rewind(scratch.get());
        std::string text;
        char block[4096];
        for (std::size_t count; (count = std::fread(block, 1, sizeof block, scratch.get())) > 0;)
            text.append(block, count);
        if (std::ferror(scratch.get()) != 0) return false;
        return karvola::WriteFileAtomically(*files, historyFile, text);
    }
};

EditLineSource::EditLineSource(std::string prompt, std::filesystem::path historyFile, karvola::FileSystem& files,
                               Diagnostic diagnostic)
    : m_editor(std::make_unique<Editor>()) {
    m_editor->prompt = std::move(prompt);
    m_editor->historyFile = std::move(historyFile);
    m_editor->files = &files;
    m_editor->diagnostic = std::move(diagnostic);
    m_editor->history = history_init();
    ::history(m_editor->history, &m_editor->event, H_SETSIZE, 1000);
    ::history(m_editor->history, &m_editor->event, H_SETUNIQUE, 1);
    ::history(m_editor->history, &m_editor->event, H_LOAD, m_editor->historyFile.c_str());

    m_editor->edit = el_init("karvola-cli", stdin, stderr, stderr);
    el_set(m_editor->edit, EL_CLIENTDATA, m_editor.get());
    el_set(m_editor->edit, EL_PROMPT, &Editor::promptOf);
    el_set(m_editor->edit, EL_EDITOR, "emacs");
    el_set(m_editor->edit, EL_HIST, history, m_editor->history);
    el_set(m_editor->edit, EL_BIND, "^R", "em-inc-search-prev", nullptr);
    el_source(m_editor->edit, nullptr);  // the user's ~/.editrc, if any
}

EditLineSource::~EditLineSource() {
    m_editor->save();
    el_end(m_editor->edit);
    history_end(m_editor->history);
}

std::optional<std::string> EditLineSource::nextLine() {
    int count = 0;
    const char* text = el_gets(m_editor->edit, &count);
    if (text == nullptr || count <= 0) {
        std::fputc('\n', stderr);  // leave the prompt's line after Ctrl-D
        return std::nullopt;
    }
    std::string line(text, static_cast<std::size_t>(count));
    DropLineEnd(line);
    return line;
}

void EditLineSource::rememberLine(const std::string& line) {
    ::history(m_editor->history, &m_editor->event, H_ENTER, line.c_str());
    m_editor->save();
}

void EditLineSource::clearHistory() {
    ::history(m_editor->history, &m_editor->event, H_CLEAR);
    m_editor->save();
}

}  // namespace karvola::cli
