#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

class FileSystem;

struct FootballDataImportOptions {
    // The zone the CSV dates and times are given in, in whole hours east of UTC
    // (-12 to 14). The files carry no zone of their own.
    int timeZoneHours = 0;
};

// Something in the CSV files the import could not take as it stands.
struct FootballDataProblem {
    enum class Effect {
        FileSkipped,   // the file has no usable header
        RowSkipped,    // the row's match is not in the data source
        OfferLeftOut,  // the match is in, without this bookmaker's offer
        Noted,         // the match is in, as the reason says
    };

    std::filesystem::path file;
    // The line the row starts on, from 1 (the header).
    std::size_t line = 0;
    Effect effect = Effect::RowSkipped;
    std::string reason;
};

struct FootballDataImportReport {
    std::size_t filesRead = 0;
    // Rows below the header with anything in them; rows without are skipped unseen.
    std::size_t rowsRead = 0;
    std::size_t recordsWritten = 0;
    std::size_t offersWritten = 0;
    std::size_t recordsWithoutOffers = 0;
    // The codes that have at least one offer in the data source: the descriptor's lines.
    std::vector<std::string> bookmakers;
    std::vector<FootballDataProblem> problems;
};

// "E0_1415.csv:381: reason" (the file as given), for a terminal line.
std::string FormatFootballDataProblem(const FootballDataProblem& problem);

// What the terminal shows of an import into the data source: a line per problem,
// then "Data source 'SOURCE': N matches, M offers of B bookmakers, from R rows of F files.",
// or an error line when no match was imported and nothing written.
std::vector<std::string> FootballDataImportLines(const FootballDataImportReport& report, const std::string& dataSource);

// An input that cannot be read, a folder without CSV files, or a target that
// cannot be written. Nothing has been written then.
class FootballDataImportError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Turns football-data.co.uk CSV files into a data source in memory: one record
// per match row, sorted by kick-off, rows of equal kick-off in the order they
// were added. Texts are written 8-bit: a file in UTF-8 has its texts turned
// into Latin-1.
class FootballDataImporter final {
public:
    // Throws std::invalid_argument for a zone outside -12 to 14.
    explicit FootballDataImporter(FootballDataImportOptions options = {});

    // The file's name is only for the problems found in it.
    void addFile(const std::filesystem::path& name, std::string_view content);

    // The data source's and its descriptor's texts, both with CR LF line ends.
    [[nodiscard]] std::string dataSource() const;
    [[nodiscard]] std::string descriptor() const;
    [[nodiscard]] FootballDataImportReport report() const;

private:
    struct record_t {
        std::int64_t kickOff = 0;
        std::size_t begin = 0;  // in m_texts
        std::size_t size = 0;
    };
    class FileImport;

    FootballDataImportOptions m_options;
    // Every record's text, one after the other, in input order.
    std::string m_texts;
    std::vector<record_t> m_records;
    // Codes with an offer, and the division codes already reported unknown.
    std::vector<std::string> m_bookmakers;
    std::vector<std::string> m_unknownDivisions;
    FootballDataImportReport m_report;
};

// The CSV files the inputs stand for, in import order: a file as it is, a
// folder as its *.csv files in name order. Throws FootballDataImportError for
// an input that does not exist and for a folder without CSV files.
std::vector<std::filesystem::path> ListFootballDataFiles(const std::vector<std::filesystem::path>& inputs);

// Imports the inputs (files and folders, as ListFootballDataFiles has them) into
// the data source file and its descriptor beside it (the same name with
// ".desc"), each replaced whole or not at all. An import without a single
// match writes nothing (the report's recordsWritten is 0).
FootballDataImportReport ImportFootballData(FileSystem& files, const std::vector<std::filesystem::path>& inputs,
                                            const std::filesystem::path& dataSource,
                                            const FootballDataImportOptions& options = {});

}  // namespace karvola
