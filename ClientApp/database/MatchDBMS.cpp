#include "database/MatchDBMS.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace karvola {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kCouldNotSave = "Fatal (DBMS) Could not save dbase file";
constexpr std::string_view kCouldNotSave30 = "DBMS Fatal: Could not save dbase file";
constexpr std::string_view kSavingDone = "DBMS : Saving done.";

// Walks the text line by line; a line ends at LF and every CR in it is dropped.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_pos(text.data()), m_end(text.data() + text.size()) {}

    [[nodiscard]] bool hasLineEnd() const { return findLineEnd() != nullptr; }

    // The next line as it stands, CRs included; false when no LF is left.
    bool next(std::string_view& line) {
        const char* lf = findLineEnd();
        if (lf == nullptr) return false;
        line = std::string_view(m_pos, static_cast<std::size_t>(lf - m_pos));
        m_pos = lf + 1;
        return true;
    }

private:
    [[nodiscard]] const char* findLineEnd() const {
        return static_cast<const char*>(std::memchr(m_pos, '\n', static_cast<std::size_t>(m_end - m_pos)));
    }

    const char* m_pos;
    const char* m_end;
};

// Files written by the program end every line in CR LF, so one trailing CR is the
// common case: drop it, and look for further CRs only in what is left.
void assignWithoutCr(std::string& field, std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (std::memchr(line.data(), '\r', line.size()) == nullptr) {
        field.assign(line);
        return;
    }
    field.clear();
    for (const char c : line) {
        if (c != '\r') field.push_back(c);
    }
}

// Lines 8 and 9 hold exactly one character once the CRs are gone.
bool singleCharacter(std::string_view line, char& out) {
    char found = 0;
    std::size_t count = 0;
    for (const char c : line) {
        if (c == '\r') continue;
        found = c;
        if (++count > 1) return false;
    }
    if (count != 1) return false;
    out = found;
    return true;
}

std::size_t countLineEnds(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void appendLine(std::string& text, std::string_view line) {
    text += line;
    text += kLineEnd;
}

// Writes the whole text through a replacement file: the target changes only if
// every byte was written and the commit succeeded.
}  // namespace

ParsedDataBase ParseDataBaseText(std::string_view text) {
    ParsedDataBase parsed;
    // Junk with many LFs could ask for more than the machine has; the reserve only
    // saves moves, so a refusal just lets the vector grow.
    try {
        parsed.records.reserve(countLineEnds(text) / 9);
    } catch (const std::bad_alloc&) {
    }

    LineReader reader(text);
    std::string_view line;
    const auto fail = [&parsed](bool missingLineEnd) {
        parsed.records.clear();
        parsed.missingLineEnd = missingLineEnd;
        return std::move(parsed);
    };
    // A record starts wherever an LF is left; text after the last one is ignored.
    while (reader.hasLineEnd()) {
        data_base_record_t& record = parsed.records.emplace_back();
        for (std::string* field : {&record.date, &record.category, &record.team1, &record.team2, &record.odds1,
                                   &record.odds0, &record.odds2}) {
            if (!reader.next(line)) return fail(true);
            assignWithoutCr(*field, line);
        }
        if (!reader.next(line)) return fail(true);
        if (!singleCharacter(line, record.result)) return fail(false);
        if (!reader.next(line)) return fail(true);
        if (!singleCharacter(line, record.flag)) return fail(false);
    }
    parsed.valid = !parsed.records.empty();
    return parsed;
}

std::string FormatDataBaseText(std::span<const data_base_record_t> records) {
    std::size_t size = 0;
    for (const data_base_record_t& r : records) {
        size += r.date.size() + r.category.size() + r.team1.size() + r.team2.size() + r.odds1.size() + r.odds0.size() +
                r.odds2.size() + 2 + 9 * kLineEnd.size();
    }
    std::string text;
    text.reserve(size);
    for (const data_base_record_t& r : records) {
        for (const std::string* field : {&r.date, &r.category, &r.team1, &r.team2, &r.odds1, &r.odds0, &r.odds2}) {
            appendLine(text, *field);
        }
        appendLine(text, std::string_view(&r.result, 1));
        appendLine(text, std::string_view(&r.flag, 1));
    }
    return text;
}

// The older export: no date, no flag, a "----" line closing each record, and only
// records with a result.
std::string FormatDataBase30Text(std::span<const data_base_record_t> records) {
    constexpr std::string_view kRecordEnd = "----";
    std::string text;
    for (const data_base_record_t& r : records) {
        if (r.result == '?') continue;
        for (const std::string* field : {&r.category, &r.team1, &r.team2, &r.odds1, &r.odds0, &r.odds2}) {
            appendLine(text, *field);
        }
        appendLine(text, std::string_view(&r.result, 1));
        appendLine(text, kRecordEnd);
    }
    return text;
}

MatchDBMS::MatchDBMS(TerminalSink& sink, FileSystem& files) : m_sink(sink), m_files(files) {
    m_sink.appendLine("Match DBMS release date :  Apr 22 2009");
    m_sink.repaint();
}

void MatchDBMS::SetDataBaseName(const std::string& name) {
    if (name == m_fileName) return;
    m_fileName = name;
    m_sink.appendLine("Setting data base to : " + name);
    m_sink.repaint();
    m_modified = true;
}

int MatchDBMS::ReadWholeFile(FileSystem& files, const std::filesystem::path& file, std::string& out) {
    std::optional<std::string> content = files.readFile(file);
    if (!content || content->empty()) return -1;
    out = std::move(*content);
    return 0;
}

LoadResult MatchDBMS::Load() {
    // The records held before stay: an unreadable file says nothing about them. So
    // does a base too large for the memory: it is read beside the old one, which
    // goes only once the new one is complete.
    const auto unreadable = [this] {
        LoadResult result{-1, "DBMS Error : Could not load dbase file"};
        m_sink.appendLine(result.message);
        m_sink.repaint();
        m_modified = false;
        return result;
    };
    ParsedDataBase parsed;
    try {
        std::string text;
        if (ReadWholeFile(m_files, m_fileName, text) != 0) return unreadable();
        parsed = ParseDataBaseText(text);
    } catch (const std::bad_alloc&) {
        return unreadable();
    }

    m_modified = false;
    if (!parsed.valid) {
        m_records.clear();
        m_records.shrink_to_fit();
        LoadResult corrupt{-2, {}};
        if (parsed.missingLineEnd) {
            corrupt.message = "Fatal (DBMS) : Corrupted dbase file";
            m_sink.appendLine(corrupt.message);
            m_sink.repaint();
        }
        // With the records gone their categories must go too, or the category
        // dialog would offer categories of a base that is no longer loaded.
        m_categories.clear();
        return corrupt;
    }
    m_records = std::move(parsed.records);
    rebuildCategories();

    const auto line = [this](const std::string& content) {
        m_sink.appendLine(content);
        m_sink.repaint();
    };
    const auto recordLines = [&line](const data_base_record_t& r) {
        line("  date     : " + r.date);
        line("  category : " + r.category);
        line("  1st team : " + r.team1);
        line("  2nd team : " + r.team2);
        line("  odds1    : " + r.odds1);
        line("  odds0    : " + r.odds0);
        line("  odds2    : " + r.odds2);
    };
    line("DBMS : " + std::to_string(m_records.size()) + " items loaded.");
    line(" First record: ");
    recordLines(m_records.front());
    line(" Last record: ");
    recordLines(m_records.back());
    return {};
}

int MatchDBMS::CountSettledRecords() const {
    return static_cast<int>(
        std::count_if(m_records.begin(), m_records.end(), [](const data_base_record_t& r) { return r.result != '?'; }));
}

// Count per category in order of first appearance, then a stable sort by count, so
// equal counts keep the order in which their categories first appear in the file.
void MatchDBMS::rebuildCategories() {
    m_categories.clear();
    std::unordered_map<std::string_view, std::size_t> indexByName;
    for (const data_base_record_t& record : m_records) {
        const auto [it, inserted] = indexByName.try_emplace(record.category, m_categories.size());
        if (inserted) m_categories.push_back({record.category, 0});
        ++m_categories[it->second].count;
    }
    std::stable_sort(m_categories.begin(), m_categories.end(),
                     [](const category_t& a, const category_t& b) { return a.count > b.count; });
}

int MatchDBMS::Save() {
    std::unique_ptr<ReplacementFile> file = m_files.replaceFile(m_fileName);
    if (!file) {
        m_sink.appendLine(kCouldNotSave);
        return -1;
    }
    m_sink.appendLine("DBMS : Saving now, wait...");
    m_sink.repaint();
    // A failed write or commit leaves the old file in place and the base still
    // counting as changed, so the close query keeps the window open.
    if (!WriteFileAtomically(std::move(file), FormatDataBaseText(m_records))) {
        m_sink.appendLine(kCouldNotSave);
        return -1;
    }
    m_modified = false;
    m_sink.appendLine(kSavingDone);
    m_sink.repaint();
    return 0;
}

// The base takes the new name only once it is saved under it.
int MatchDBMS::SaveAs(const std::string& path) {
    std::string previous = std::exchange(m_fileName, path);
    const int saved = Save();
    if (saved != 0) m_fileName = std::move(previous);
    return saved;
}

void MatchDBMS::RestoreName(std::string name, bool modified) {
    m_fileName = std::move(name);
    m_modified = modified;
}

void MatchDBMS::SaveAs30Format(const std::string& path) {
    std::unique_ptr<ReplacementFile> file = m_files.replaceFile(path);
    if (!file) {
        m_sink.appendLine(kCouldNotSave30);
        return;
    }
    m_sink.appendLine("DBMS : Saving now as 3.0 data format, wait...");
    m_sink.repaint();
    if (!WriteFileAtomically(std::move(file), FormatDataBase30Text(m_records))) {
        m_sink.appendLine(kCouldNotSave30);
        return;
    }
    m_sink.appendLine(kSavingDone);
}

std::filesystem::path MatchDBMS::DescriptorPath(const std::filesystem::path& dataBaseFile) {
    std::filesystem::path descriptor = dataBaseFile;
    descriptor.replace_extension(".desc");
    return descriptor;
}

}  // namespace karvola
