#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/TimeZone.h"
#include "database/ClosingOdds.h"

namespace karvola {

class FileSystem;

struct FootballDataImportOptions {
    // The zone the CSV dates and times are given in; none for the files' own:
    // football-data.co.uk writes UK local time (Europe/London, read from the
    // system's time zone data).
    std::optional<TimeZone> zone;
    // Rows without goals (fixture lists) become matches with "*" for the score,
    // the material of the service's upcoming matches. A historical data source
    // leaves them out: the conversion has no result to give them.
    bool keepFixtures = false;
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

// Why a row of a usable file gave no match.
enum class FootballDataLeftOut {
    NoGoals,      // not played yet (kept with keepFixtures)
    NoOdds,       // no bookmaker's offer
    ClosingOnly,  // closing odds, but no offer before the match
    BadDate,      // no date, or a date or time that is not one
    BadGoals,     // goals that are no whole number, or only one side's
    Duplicate,    // the kick-off and teams of a match already imported
    OtherFault,   // no team, no division, a field cut short...
};
inline constexpr std::size_t kFootballDataLeftOutReasons = 7;

// The text a summary counts a reason by: "no goals", "closing only"...
std::string_view FootballDataLeftOutName(FootballDataLeftOut reason);

// How a file's bytes were taken.
enum class FootballDataEncoding {
    Ascii,        // nothing beyond ASCII: no reading needed
    Utf8,         // a byte order mark, or valid UTF-8
    Windows1252,  // not UTF-8: football-data's own files are Windows-1252
};

// What came of one file: each row read is a match or left out for a reason.
struct FootballDataFileReport {
    std::filesystem::path file;
    FootballDataEncoding encoding = FootballDataEncoding::Ascii;
    // No usable header: none of the rows was read.
    bool skipped = false;
    std::size_t rows = 0;
    std::size_t matches = 0;
    std::array<std::size_t, kFootballDataLeftOutReasons> leftOut{};
    // In line order, at most FootballDataImportReport::kProblemsShownPerFile;
    // the rest are counted.
    std::vector<FootballDataProblem> problems;
    std::size_t problemsNotShown = 0;

    [[nodiscard]] std::size_t count(FootballDataLeftOut reason) const {
        return leftOut[static_cast<std::size_t>(reason)];
    }
};

struct FootballDataImportReport {
    // A file's problems listed at the most; the rest are counted. An altered
    // file can have a problem in each of thousands of rows.
    static constexpr std::size_t kProblemsShownPerFile = 20;

    std::size_t filesRead = 0;
    // Rows below the header with anything in them; rows without are skipped unseen.
    std::size_t rowsRead = 0;
    std::size_t recordsWritten = 0;
    std::size_t offersWritten = 0;
    // Matches of the data source with a bookmaker's closing odds, and their offers.
    std::size_t recordsWithClosingOdds = 0;
    std::size_t closingOffersWritten = 0;
    // The codes that have at least one offer in the data source: the descriptor's lines.
    std::vector<std::string> bookmakers;
    // In the order the files were read.
    std::vector<FootballDataFileReport> files;

    // Every file's problems listed, one file after the other.
    [[nodiscard]] std::vector<FootballDataProblem> allProblems() const;
};

// The companion file of a data source that holds its matches' closing odds:
// the same name with ".closing".
std::filesystem::path ClosingOddsFileOf(const std::filesystem::path& dataSource);

// "E0_1415.csv:381: reason" (the file as given), for a terminal line.
std::string FormatFootballDataProblem(const FootballDataProblem& problem);

// "E0_1415.csv: 380 rows, 378 matches; left out: 1 no odds, 1 duplicate; text read as Windows-1252."
std::string FormatFootballDataFileSummary(const FootballDataFileReport& file);

// What the terminal shows of an import into the data source: for each file its
// problems, how many more there were, and its summary; then
// "Data source 'SOURCE': N matches, M offers of B bookmakers, from R rows of F files.",
// and where the closing odds went; or an error line when no match was imported
// and nothing written.
std::vector<std::string> FootballDataImportLines(const FootballDataImportReport& report, const std::string& dataSource);

// An input that cannot be read, a folder without CSV files, or a target that
// cannot be written. Nothing has been written then.
class FootballDataImportError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Turns football-data.co.uk CSV files into a data source in memory: one record
// per match row, sorted by kick-off, rows of equal kick-off in the order they
// were added. Texts are written 8-bit: a file in UTF-8 or Windows-1252 has its
// texts turned into Latin-1. Closing odds go to a companion text of their own.
class FootballDataImporter final {
public:
    // Throws FootballDataImportError when no zone is given and the system's
    // time zone data lacks the UK's.
    explicit FootballDataImporter(FootballDataImportOptions options = {});

    // The file's name is only for the problems found in it.
    void addFile(const std::filesystem::path& name, std::string_view content);

    // The data source's and its descriptor's texts, both with CR LF line ends.
    [[nodiscard]] std::string dataSource() const;
    [[nodiscard]] std::string descriptor() const;
    // The closing odds of the data source's matches, for the ".closing" file beside it.
    [[nodiscard]] std::string closingOdds() const;
    [[nodiscard]] FootballDataImportReport report() const;

private:
    static constexpr std::size_t kNoClosingOdds = static_cast<std::size_t>(-1);

    struct record_t {
        std::int64_t kickOff = 0;
        std::size_t begin = 0;  // in m_texts
        std::size_t size = 0;
        std::size_t closing = kNoClosingOdds;  // in m_closing
        // Where the row was read, for the rows that repeat its match.
        std::size_t file = 0;  // in m_report.files
        std::size_t line = 0;
    };
    class FileImport;

    [[nodiscard]] std::vector<record_t> sortedRecords() const;

    FootballDataImportOptions m_options;
    TimeZone m_zone;
    // Every record's text, one after the other, in input order.
    std::string m_texts;
    std::vector<record_t> m_records;
    std::vector<ClosingOddsRecord> m_closing;
    // The records by a hash of their kick-off and teams as written: a string
    // key per row would cost the import a fifth of its speed.
    std::unordered_multimap<std::size_t, std::size_t> m_recordsByMatch;
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
// the data source file, its descriptor beside it (the same name with ".desc")
// and its closing odds (".closing"), each replaced whole or not at all. An
// import without a single match writes nothing (the report's recordsWritten is 0).
FootballDataImportReport ImportFootballData(FileSystem& files, const std::vector<std::filesystem::path>& inputs,
                                            const std::filesystem::path& dataSource,
                                            const FootballDataImportOptions& options = {});

}  // namespace karvola
