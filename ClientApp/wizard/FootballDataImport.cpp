#include "wizard/FootballDataImport.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>

#include "common/FileSystem.h"
#include "common/TextEncoding.h"
#include "wizard/FootballDataColumns.h"
#include "wizard/FootballDataCsv.h"

namespace karvola {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kRecordEnd = "####\r\n";
constexpr std::string_view kMissingScore = "*";
constexpr std::string_view kUnknownCountry = "Unknown";
// Files without a Time column give the day only.
constexpr int kDefaultKickOffHour = 15;
constexpr int kMinZoneHours = -12;
constexpr int kMaxZoneHours = 14;
constexpr std::int64_t kLastUnixTime = std::numeric_limits<std::uint32_t>::max();

using Effect = FootballDataProblem::Effect;

std::string inQuotes(std::string_view text) {
    std::string result = "\"";
    result += text;
    result += '"';
    return result;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool hasNonAscii(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// A whole decimal number of at most `maxDigits` digits.
std::optional<int> parseDigits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// DD/MM/YY or DD/MM/YYYY (one-digit days and months too), not yet checked
// against the calendar. Two-digit years are 1970 to 2069, as POSIX reads them.
std::optional<std::chrono::year_month_day> parseDate(std::string_view text) {
    const auto first = text.find('/');
    const auto second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const auto day = parseDigits(text.substr(0, first), 2);
    const auto month = parseDigits(text.substr(first + 1, second - first - 1), 2);
    const std::string_view yearText = text.substr(second + 1);
    const auto year = parseDigits(yearText, 4);
    if (!day || !month || !year || (yearText.size() != 2 && yearText.size() != 4)) return std::nullopt;
    int fullYear = *year;
    if (yearText.size() == 2) fullYear += *year < 70 ? 2000 : 1900;
    // Two digits at the most: a day or month of 99 stays 99 in chrono's byte, and fails ok().
    return std::chrono::year_month_day{std::chrono::year(fullYear), std::chrono::month(static_cast<unsigned>(*month)),
                                       std::chrono::day(static_cast<unsigned>(*day))};
}

// HH:MM (or H:MM) as minutes after midnight.
std::optional<int> parseTime(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto hour = parseDigits(text.substr(0, colon), 2);
    const std::string_view minuteText = text.substr(colon + 1);
    const auto minute = parseDigits(minuteText, 2);
    if (!hour || !minute || minuteText.size() != 2 || *hour > 23 || *minute > 59) return std::nullopt;
    return *hour * 60 + *minute;
}

// Goals as a whole number; spreadsheet copies write them as "2.0". No more than
// the data source's goals lines hold (a signed 32-bit number): a larger count
// would make the whole source fail to convert.
std::optional<unsigned> parseGoals(std::string_view text) {
    if (const auto point = text.find('.'); point != std::string_view::npos) {
        const std::string_view fraction = text.substr(point + 1);
        if (fraction.empty() || fraction.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
        text = text.substr(0, point);
    }
    unsigned goals = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), goals);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (goals > static_cast<unsigned>(std::numeric_limits<int>::max())) return std::nullopt;
    return goals;
}

// Decimal odds above zero: digits with at most one decimal point between digits.
// A decimal comma is refused, since the data base's reader takes "2,5" for 2.
bool isOddsText(std::string_view text) {
    bool separator = false;
    bool nonZero = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !separator && i > 0 && i + 1 < text.size()) {
            separator = true;
        } else {
            return false;
        }
    }
    return nonZero;
}

void appendLine(std::string& out, std::string_view text) {
    out += text;
    out += kLineEnd;
}

void appendNumberLine(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
    out += kLineEnd;
}

}  // namespace

std::string FormatFootballDataProblem(const FootballDataProblem& problem) {
    std::string text = problem.file.string();
    if (problem.line > 0) {
        text += ':';
        text += std::to_string(problem.line);
    }
    text += ": ";
    text += problem.reason;
    return text;
}

std::vector<std::string> FootballDataImportLines(const FootballDataImportReport& report,
                                                 const std::string& dataSource) {
    std::vector<std::string> lines;
    for (const auto& problem : report.problems) lines.push_back(FormatFootballDataProblem(problem));
    if (report.recordsWritten == 0) {
        lines.push_back("Error : No match could be imported from " + std::to_string(report.rowsRead) + " rows of " +
                        std::to_string(report.filesRead) + " files; nothing was written to '" + dataSource + "'.");
        return lines;
    }
    lines.push_back("Data source '" + dataSource + "': " + std::to_string(report.recordsWritten) + " matches, " +
                    std::to_string(report.offersWritten) + " offers of " + std::to_string(report.bookmakers.size()) +
                    " bookmakers, from " + std::to_string(report.rowsRead) + " rows of " +
                    std::to_string(report.filesRead) + " files.");
    return lines;
}

// One file's rows added to the importer's records.
class FootballDataImporter::FileImport final {
public:
    FileImport(FootballDataImporter& importer, const std::filesystem::path& name, std::string_view content)
        : m_importer(importer), m_name(name), m_reader(content) {
        // A byte order mark, or non-ASCII text that is all valid UTF-8, says UTF-8;
        // anything else is taken as the 8-bit text it is.
        m_utf8 = m_reader.startedWithByteOrderMark() || (hasNonAscii(content) && IsValidUtf8(content));
    }

    void run() {
        FootballDataCsvRow row;
        bool headerSeen = false;
        while (m_reader.next(row)) {
            if (isBlank(row)) continue;
            if (!headerSeen) {
                headerSeen = true;
                if (!readHeader(row)) return;
                continue;
            }
            ++m_importer.m_report.rowsRead;
            importRow(row);
        }
        if (!headerSeen) problem(0, Effect::FileSkipped, "the file has no header row");
        for (std::size_t i = 0; i < m_columns.bookmakers.size(); ++i) {
            if (m_offers[i] == 0) continue;
            auto& known = m_importer.m_bookmakers;
            if (std::find(known.begin(), known.end(), m_columns.bookmakers[i].code) == known.end()) {
                known.push_back(m_columns.bookmakers[i].code);
            }
        }
    }

private:
    static bool isBlank(const FootballDataCsvRow& row) {
        return std::all_of(row.fields.begin(), row.fields.end(),
                           [](std::string_view field) { return TrimFootballDataCell(field).empty(); });
    }

    bool readHeader(const FootballDataCsvRow& row) {
        m_columns = FindFootballDataColumns(row.fields);
        m_offers.assign(m_columns.bookmakers.size(), 0);
        const std::vector<std::string> missing = m_columns.missing();
        if (missing.empty()) return true;
        std::string reason = "the header has no column ";
        for (std::size_t i = 0; i < missing.size(); ++i) {
            if (i > 0) reason += ", ";
            reason += missing[i];
        }
        problem(row.line, Effect::FileSkipped, std::move(reason));
        return false;
    }

    void problem(std::size_t line, Effect effect, std::string reason) {
        m_importer.m_report.problems.push_back({m_name, line, effect, std::move(reason)});
    }

    static std::string_view cell(const FootballDataCsvRow& row, std::size_t column) {
        return column < row.fields.size() ? TrimFootballDataCell(row.fields[column]) : std::string_view();
    }

    // The kick-off as Unix time, or nothing with the row reported.
    std::optional<std::int64_t> kickOff(const FootballDataCsvRow& row) {
        const std::string_view dateText = cell(row, m_columns.date);
        if (dateText.empty()) return skip(row, "no date");
        const auto date = parseDate(dateText);
        if (!date) return skip(row, "date " + inQuotes(dateText) + " is not DD/MM/YY or DD/MM/YYYY");
        int minutes = kDefaultKickOffHour * 60;
        if (const std::string_view timeText = cell(row, m_columns.time); !timeText.empty()) {
            const auto time = parseTime(timeText);
            if (!time) return skip(row, "time " + inQuotes(timeText) + " is not HH:MM");
            minutes = *time;
        }
        // Unix time in 32 bits reaches into 2106; the year before is the last whole one.
        if (date->year() < std::chrono::year(1970) || date->year() > std::chrono::year(2105)) {
            return skip(row, "date " + inQuotes(dateText) + " is outside 1970 to 2105");
        }
        if (!date->ok()) return skip(row, "date " + inQuotes(dateText) + " is no day of the calendar");
        const std::int64_t midnight = std::chrono::sys_seconds(std::chrono::sys_days(*date)).time_since_epoch().count();
        const std::int64_t result = midnight + minutes * 60LL - m_importer.m_options.timeZoneHours * 3600LL;
        if (result < 0 || result > kLastUnixTime) return skip(row, "the kick-off is outside Unix time");
        return result;
    }

    std::nullopt_t skip(const FootballDataCsvRow& row, std::string reason) {
        problem(row.line, Effect::RowSkipped, std::move(reason));
        return std::nullopt;
    }

    // A text of the record as one 8-bit line; line breaks have been refused before.
    void appendText(const FootballDataCsvRow& row, std::string_view what, std::string_view text) {
        std::string& out = m_importer.m_texts;
        if (!m_utf8 || !hasNonAscii(text)) {
            appendLine(out, text);
            return;
        }
        if (!AppendUtf8AsLatin1(out, text)) {
            problem(row.line, Effect::Noted,
                    std::string(what) + " " + inQuotes(text) + " has characters Latin-1 lacks, written as '?'");
        }
        out += kLineEnd;
    }

    void importRow(const FootballDataCsvRow& row) {
        if (row.unclosedQuote) {
            skip(row, "a quoted field is not closed up to the end of the file");
            return;
        }
        const auto start = kickOff(row);
        if (!start) return;

        const std::string_view home = cell(row, m_columns.homeTeam);
        const std::string_view away = cell(row, m_columns.awayTeam);
        if (home.empty()) return void(skip(row, "no home team"));
        if (away.empty()) return void(skip(row, "no away team"));

        std::string_view competition;
        std::string_view country;
        if (m_columns.division != FootballDataColumns::kAbsent) {
            const std::string_view division = cell(row, m_columns.division);
            if (division.empty()) return void(skip(row, "no division"));
            const FootballDataCompetition known = FootballDataCompetitionOf(division);
            competition = known.competition.empty() ? division : known.competition;
            country = known.competition.empty() ? kUnknownCountry : known.country;
            if (known.competition.empty()) noteUnknownDivision(row, division);
        } else {
            competition = cell(row, m_columns.league);
            country = cell(row, m_columns.country);
            if (competition.empty()) return void(skip(row, "no league"));
            if (country.empty()) return void(skip(row, "no country"));
        }

        // Both goals, or neither for a match not played yet.
        const std::string_view homeGoalsText = cell(row, m_columns.homeGoals);
        const std::string_view awayGoalsText = cell(row, m_columns.awayGoals);
        std::optional<unsigned> homeGoals;
        std::optional<unsigned> awayGoals;
        if (!homeGoalsText.empty() || !awayGoalsText.empty()) {
            if (homeGoalsText.empty()) return void(skip(row, "no home goals beside the away goals"));
            if (awayGoalsText.empty()) return void(skip(row, "no away goals beside the home goals"));
            homeGoals = parseGoals(homeGoalsText);
            awayGoals = parseGoals(awayGoalsText);
            if (!homeGoals) return void(skip(row, "home goals " + inQuotes(homeGoalsText) + " are no number of goals"));
            if (!awayGoals) return void(skip(row, "away goals " + inQuotes(awayGoalsText) + " are no number of goals"));
        }

        const std::pair<std::string_view, std::string_view> texts[] = {{"the home team", home},
                                                                       {"the away team", away},
                                                                       {"the competition", competition},
                                                                       {"the country", country}};
        for (const auto& [what, text] : texts) {
            if (hasLineBreak(text)) return void(skip(row, std::string(what) + " runs over more than one line"));
        }

        // Written straight into the records' texts: nothing can fail from here on.
        std::string& out = m_importer.m_texts;
        const std::size_t begin = out.size();
        appendNumberLine(out, *start);
        for (const auto& [what, text] : texts) appendText(row, what, text);
        if (homeGoals) {
            appendNumberLine(out, *homeGoals);
            appendNumberLine(out, *awayGoals);
        } else {
            appendLine(out, kMissingScore);
            appendLine(out, kMissingScore);
        }
        const std::size_t offers = appendOffers(row);
        out += kRecordEnd;

        m_importer.m_records.push_back({*start, begin, out.size() - begin});
        m_importer.m_report.offersWritten += offers;
        if (offers == 0) ++m_importer.m_report.recordsWithoutOffers;
    }

    // Every bookmaker with all three odds, in column order; returns their number.
    std::size_t appendOffers(const FootballDataCsvRow& row) {
        static constexpr std::string_view kOutcomes[] = {"home", "draw", "away"};
        std::size_t offers = 0;
        for (std::size_t b = 0; b < m_columns.bookmakers.size(); ++b) {
            const FootballDataBookmakerColumns& bookmaker = m_columns.bookmakers[b];
            const std::string_view odds[] = {cell(row, bookmaker.home), cell(row, bookmaker.draw),
                                             cell(row, bookmaker.away)};
            const auto given = std::count_if(std::begin(odds), std::end(odds), [](auto text) { return !text.empty(); });
            if (given == 0) continue;
            if (given < 3) {
                std::string reason = bookmaker.code + " offer has no";
                for (std::size_t k = 0; k < 3; ++k) {
                    if (odds[k].empty()) reason += std::string(" ") + std::string(kOutcomes[k]);
                }
                problem(row.line, Effect::OfferLeftOut, reason + " odds");
                continue;
            }
            const auto* bad =
                std::find_if(std::begin(odds), std::end(odds), [](auto text) { return !isOddsText(text); });
            if (bad != std::end(odds)) {
                problem(row.line, Effect::OfferLeftOut,
                        bookmaker.code + " odds " + inQuotes(*bad) + " are no decimal odds above 0");
                continue;
            }
            appendLine(m_importer.m_texts, bookmaker.code);
            for (const std::string_view text : odds) appendLine(m_importer.m_texts, text);
            ++m_offers[b];
            ++offers;
        }
        return offers;
    }

    void noteUnknownDivision(const FootballDataCsvRow& row, std::string_view division) {
        auto& unknown = m_importer.m_unknownDivisions;
        if (std::find(unknown.begin(), unknown.end(), division) != unknown.end()) return;
        unknown.emplace_back(division);
        problem(row.line, Effect::Noted,
                "division " + inQuotes(division) + " is unknown: competition " + inQuotes(division) + ", country " +
                    inQuotes(kUnknownCountry));
    }

    FootballDataImporter& m_importer;
    const std::filesystem::path& m_name;
    FootballDataCsvReader m_reader;
    bool m_utf8 = false;
    FootballDataColumns m_columns;
    // Offers written per bookmaker of m_columns.
    std::vector<std::size_t> m_offers;
};

FootballDataImporter::FootballDataImporter(FootballDataImportOptions options) : m_options(options) {
    if (m_options.timeZoneHours < kMinZoneHours || m_options.timeZoneHours > kMaxZoneHours) {
        throw std::invalid_argument("The time zone must be -12 to 14 hours from UTC");
    }
}

void FootballDataImporter::addFile(const std::filesystem::path& name, std::string_view content) {
    ++m_report.filesRead;
    FileImport(*this, name, content).run();
}

std::string FootballDataImporter::dataSource() const {
    std::vector<record_t> sorted = m_records;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const record_t& a, const record_t& b) { return a.kickOff < b.kickOff; });
    std::string text;
    text.reserve(m_texts.size());
    for (const record_t& record : sorted) text.append(m_texts, record.begin, record.size);
    return text;
}

std::string FootballDataImporter::descriptor() const {
    std::string text;
    for (const std::string& code : report().bookmakers) appendLine(text, code);
    return text;
}

FootballDataImportReport FootballDataImporter::report() const {
    FootballDataImportReport report = m_report;
    report.recordsWritten = m_records.size();
    report.bookmakers = m_bookmakers;
    std::sort(report.bookmakers.begin(), report.bookmakers.end());
    return report;
}

std::vector<std::filesystem::path> ListFootballDataFiles(const std::vector<std::filesystem::path>& inputs) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const fs::path& input : inputs) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            if (!fs::exists(input, error)) throw FootballDataImportError("Cannot find " + inQuotes(input.string()));
            files.push_back(input);
            continue;
        }
        std::vector<fs::path> found;
        for (fs::directory_iterator entry(input, error), end; !error && entry != end; entry.increment(error)) {
            std::string extension = entry->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
            std::error_code typeError;
            if (extension == ".csv" && entry->is_regular_file(typeError)) found.push_back(entry->path());
        }
        if (error) throw FootballDataImportError("Cannot list the folder " + inQuotes(input.string()));
        if (found.empty())
            throw FootballDataImportError("The folder " + inQuotes(input.string()) + " has no CSV files");
        std::sort(found.begin(), found.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

FootballDataImportReport ImportFootballData(FileSystem& files, const std::vector<std::filesystem::path>& inputs,
                                            const std::filesystem::path& dataSource,
                                            const FootballDataImportOptions& options) {
    FootballDataImporter importer(options);
    for (const std::filesystem::path& file : ListFootballDataFiles(inputs)) {
        const std::optional<std::string> content = files.readFile(file);
        if (!content) throw FootballDataImportError("Cannot read " + inQuotes(file.string()));
        importer.addFile(file, *content);
    }
    // Nothing usable read (a file that is not football-data's, say): the old data
    // source stays as it is rather than being replaced by an empty one.
    FootballDataImportReport report = importer.report();
    if (report.recordsWritten == 0) return report;

    // Both files are on the disk before either replaces its old self, so that a
    // failure leaves the old pair rather than a new data source with an old
    // descriptor. The error names the file that could not be written.
    std::filesystem::path descriptorFile = dataSource;
    descriptorFile.replace_extension(".desc");
    const auto cannotWrite = [](const std::filesystem::path& file) {
        return FootballDataImportError("Cannot write " + inQuotes(file.string()));
    };
    auto sourceReplacement = files.replaceFile(dataSource);
    if (!sourceReplacement) throw cannotWrite(dataSource);
    auto descriptorReplacement = files.replaceFile(descriptorFile);
    if (!descriptorReplacement) throw cannotWrite(descriptorFile);
    if (!sourceReplacement->write(importer.dataSource()) || !sourceReplacement->flush()) throw cannotWrite(dataSource);
    if (!descriptorReplacement->write(importer.descriptor()) || !descriptorReplacement->flush())
        throw cannotWrite(descriptorFile);
    if (!sourceReplacement->commit()) throw cannotWrite(dataSource);
    // Only a rename refused between the two (a race with another program) gets here.
    if (!descriptorReplacement->commit()) throw cannotWrite(descriptorFile);
    return report;
}

}  // namespace karvola
