#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "database/data_base_record_t.h"

namespace karvola {

// How a load ended: 0 loaded; -1 the file cannot be read (the records held
// before stay); -2 not a data base (records gone). With the line the data base
// wrote about the failure, empty when it wrote none.
struct LoadResult {
    int code = 0;
    std::string message;
    [[nodiscard]] bool loaded() const { return code == 0; }
};

// The match data base: the records of one data base file, their categories, and
// the loading and saving of the file. Writes its messages to the terminal.
class MatchDBMS final {
public:
    struct category_t {
        std::string name;
        std::uint32_t count = 0;
    };

    // Writes the release-date line.
    MatchDBMS(TerminalSink& sink, FileSystem& files);

    MatchDBMS(const MatchDBMS&) = delete;
    MatchDBMS& operator=(const MatchDBMS&) = delete;

    void SetDataBaseName(const std::string& name);
    // Takes back a name set for a load that could not read its file, without a line.
    void RestoreName(std::string name, bool modified);
    LoadResult Load();
    [[nodiscard]] bool IsModified() const { return m_modified; }
    [[nodiscard]] bool HasDataBaseName() const { return !m_fileName.empty(); }
    [[nodiscard]] int CountSettledRecords() const;
    void GetCategories(std::vector<category_t>& out) const { out = m_categories; }

    // 0 on success; -1 when the file cannot be written (what was there stays).
    int Save();
    int SaveAs(const std::string& path);
    void SaveAs30Format(const std::string& path);

    [[nodiscard]] const std::string& fileName() const { return m_fileName; }
    [[nodiscard]] const std::vector<data_base_record_t>& records() const { return m_records; }
    [[nodiscard]] const std::vector<category_t>& categories() const { return m_categories; }

    // The whole file into out in one read: 0, or -1 when it cannot be read or is empty.
    static int ReadWholeFile(FileSystem& files, const std::filesystem::path& file, std::string& out);

    // The path's descriptor: the same folder and base name with the extension ".desc".
    static std::filesystem::path DescriptorPath(const std::filesystem::path& dataBaseFile);

private:
    void rebuildCategories();

    TerminalSink& m_sink;
    FileSystem& m_files;
    std::string m_fileName;
    std::vector<data_base_record_t> m_records;
    std::vector<category_t> m_categories;
    bool m_modified = false;
};

// Splits a data base text into records; the parse step of Load, without the
// terminal lines. Returns false for content that is not a data base (and then
// whether a line had no line end, the case that has its own message).
struct ParsedDataBase {
    std::vector<data_base_record_t> records;
    bool valid = false;
    bool missingLineEnd = false;
};
ParsedDataBase ParseDataBaseText(std::string_view text);

// The file texts written by Save and SaveAs30Format.
std::string FormatDataBaseText(std::span<const data_base_record_t> records);
std::string FormatDataBase30Text(std::span<const data_base_record_t> records);

}  // namespace karvola
