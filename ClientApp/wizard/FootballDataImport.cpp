#include "wizard/FootballDataImport.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <memory>
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

std::string_view FootballDataLeftOutName(FootballDataLeftOut reason) {
    switch (reason) {
        case FootballDataLeftOut::NoGoals:
            return "no goals";
        case FootballDataLeftOut::NoOdds:
            return "no odds";
        case FootballDataLeftOut::ClosingOnly:
            return "closing odds only";
        case FootballDataLeftOut::BadDate:
            return "bad date";
        case FootballDataLeftOut::BadGoals:
            return "bad goals";
        case FootballDataLeftOut::Duplicate:
            return "duplicate";
        case FootballDataLeftOut::OtherFault:
            return "other faults";
    }
    return "?";
}

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

std::string FormatFootballDataFileSummary(const FootballDataFileReport& file) {
    std::string text = file.file.string() + ": ";
    if (file.skipped) return text + "not imported: none of its rows was read.";
    text += std::to_string(file.rows) + " rows, " + std::to_string(file.matches) + " matches imported";
    std::string_view separator = "; left out: ";
    for (std::size_t k = 0; k < kFootballDataLeftOutReasons; ++k) {
        if (file.leftOut[k] == 0) continue;
        text += separator;
        text += std::to_string(file.leftOut[k]) + " " +
                std::string(FootballDataLeftOutName(static_cast<FootballDataLeftOut>(k)));
        separator = ", ";
    }
    if (file.encoding == FootballDataEncoding::Utf8) text += "; text read as UTF-8";
    if (file.encoding == FootballDataEncoding::Windows1252) text += "; text read as Windows-1252";
    return text + ".";
}

std::vector<std::string> FootballDataImportLines(const FootballDataImportReport& report,
                                                 const std::string& dataSource) {
    std::vector<std::string> lines;
    for (const FootballDataFileReport& file : report.files) {
        for (const auto& problem : file.problems) lines.push_back(FormatFootballDataProblem(problem));
        if (file.problemsNotShown > 0) {
            lines.push_back(file.file.string() + ": " + std::to_string(file.problemsNotShown) +
                            " more problems not shown.");
        }
        lines.push_back(FormatFootballDataFileSummary(file));
    }
    if (report.recordsWritten == 0) {
        lines.push_back("Error : No match could be imported from " + std::to_string(report.rowsRead) + " rows of " +
                        std::to_string(report.filesRead) + " files; nothing was written to '" + dataSource + "'.");
        return lines;
    }
    lines.push_back("Data source '" + dataSource + "': " + std::to_string(report.recordsWritten) + " matches, " +
                    std::to_string(report.offersWritten) + " offers of " + std::to_string(report.bookmakers.size()) +
                    " bookmakers, from " + std::to_string(report.rowsRead) + " rows of " +
                    std::to_string(report.filesRead) + " files.");
    if (report.recordsWithClosingOdds > 0) {
        lines.push_back("Closing odds of " + std::to_string(report.recordsWithClosingOdds) + " matches (" +
                        std::to_string(report.closingOffersWritten) + " offers) in '" +
                        ClosingOddsFileOf(dataSource).string() + "'.");
    }
    return lines;
}

std::vector<FootballDataProblem> FootballDataImportReport::allProblems() const {
    std::vector<FootballDataProblem> all;
    for (const FootballDataFileReport& file : files) all.insert(all.end(), file.problems.begin(), file.problems.end());
    return all;
}

std::filesystem::path ClosingOddsFileOf(const std::filesystem::path& dataSource) {
    std::filesystem::path file = dataSource;
    return file.replace_extension(".closing");
}

// One file's rows added to the importer's records.
class FootballDataImporter::FileImport final {
public:
    FileImport(FootballDataImporter& importer, const std::filesystem::path& name, std::string_view content)
        : m_importer(importer), m_content(content), m_reader(content) {
        importer.m_report.files.push_back({});
        m_fileIndex = importer.m_report.files.size() - 1;
        file().file = name;
        file().encoding = encodingOf(content, m_reader.startedWithByteOrderMark());
    }

    void run() {
        if (isUtf16(m_content)) {
            skipFile(0,
                     "the file is UTF-16 text, which football-data's files never are: save it as CSV in "
                     "UTF-8 or Windows-1252");
            return;
        }
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
            ++file().rows;
            if (importRow(row)) ++file().matches;
        }
        if (!headerSeen) skipFile(0, "the file has no header row");
        for (std::size_t i = 0; i < m_columns.bookmakers.size(); ++i) {
            if (m_offers[i] == 0) continue;
            auto& known = m_importer.m_bookmakers;
            if (std::find(known.begin(), known.end(), m_columns.bookmakers[i].code) == known.end()) {
                known.push_back(m_columns.bookmakers[i].code);
            }
        }
    }

private:
    using LeftOut = FootballDataLeftOut;
    using Odds = std::array<std::string_view, 3>;

    // The texts of a record, turned into Latin-1, with what could not be kept as it was.
    struct texts_t {
        std::string home, away, competition, country;
        std::vector<std::string> notes;
    };

    static FootballDataEncoding encodingOf(std::string_view content, bool byteOrderMark) {
        // A byte order mark, or non-ASCII text that is all valid UTF-8, says UTF-8;
        // anything else beyond ASCII is Windows-1252, football-data's own encoding.
        if (byteOrderMark) return FootballDataEncoding::Utf8;
        if (!hasNonAscii(content)) return FootballDataEncoding::Ascii;
        return IsValidUtf8(content) ? FootballDataEncoding::Utf8 : FootballDataEncoding::Windows1252;
    }

    // A UTF-16 byte order mark, or a zero byte among the first two: CSV text has none.
    static bool isUtf16(std::string_view content) {
        if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) return true;
        return content.substr(0, 2).find('\0') != std::string_view::npos;
    }

    static bool isBlank(const FootballDataCsvRow& row) {
        return std::all_of(row.fields.begin(), row.fields.end(),
                           [](std::string_view field) { return TrimFootballDataCell(field).empty(); });
    }

    FootballDataFileReport& file() { return m_importer.m_report.files[m_fileIndex]; }

    void skipFile(std::size_t line, std::string reason) {
        file().skipped = true;
        problem(line, Effect::FileSkipped, std::move(reason));
    }

    bool readHeader(const FootballDataCsvRow& row) {
        m_columns = FindFootballDataColumns(row.fields);
        m_offers.assign(m_columns.bookmakers.size(), 0);
        const std::vector<std::string> missing = m_columns.missing();
        if (missing.empty()) return true;
        skipFile(row.line, headerProblem(row, missing));
        return false;
    }

    // What was looked for, and what the header has instead.
    static std::string headerProblem(const FootballDataCsvRow& row, const std::vector<std::string>& missing) {
        if (row.fields.size() == 1) {
            const std::string_view only = row.fields.front();
            if (only.find(';') != std::string_view::npos) {
                return "the header's columns are separated by ';', not by commas as football-data's are";
            }
            if (only.find('\t') != std::string_view::npos) {
                return "the header's columns are separated by tabs, not by commas as football-data's are";
            }
        }
        std::string reason = "the header has no column ";
        for (std::size_t i = 0; i < missing.size(); ++i) reason += (i > 0 ? ", " : "") + missing[i];
        constexpr std::size_t kNamesShown = 12;
        reason += "; its columns are ";
        for (std::size_t i = 0; i < row.fields.size() && i < kNamesShown; ++i) {
            reason += (i > 0 ? ", " : "") + std::string(TrimFootballDataCell(row.fields[i]));
        }
        if (row.fields.size() > kNamesShown) reason += ", ...";
        return reason;
    }

    void problem(std::size_t line, Effect effect, std::string reason) {
        FootballDataFileReport& report = file();
        if (report.problems.size() >= FootballDataImportReport::kProblemsShownPerFile) {
            ++report.problemsNotShown;
            return;
        }
        report.problems.push_back({report.file, line, effect, std::move(reason)});
    }

    static std::string_view cell(const FootballDataCsvRow& row, std::size_t column) {
        return column < row.fields.size() ? TrimFootballDataCell(row.fields[column]) : std::string_view();
    }

    // Counts the row as left out for the reason; a fault of the row is also listed.
    bool leaveOut(const FootballDataCsvRow& row, LeftOut reason, std::string fault = {}) {
        ++file().leftOut[static_cast<std::size_t>(reason)];
        if (!fault.empty()) problem(row.line, Effect::RowSkipped, std::move(fault));
        return false;
    }

    // The kick-off as Unix time, or why there is none.
    std::optional<std::int64_t> kickOff(const FootballDataCsvRow& row, std::string& fault) const {
        const std::string_view dateText = cell(row, m_columns.date);
        if (dateText.empty()) return fault = "no date", std::nullopt;
        const auto date = parseDate(dateText);
        if (!date) return fault = "date " + inQuotes(dateText) + " is not DD/MM/YY or DD/MM/YYYY", std::nullopt;
        int minutes = kDefaultKickOffHour * 60;
        if (const std::string_view timeText = cell(row, m_columns.time); !timeText.empty()) {
            const auto time = parseTime(timeText);
            if (!time) return fault = "time " + inQuotes(timeText) + " is not HH:MM", std::nullopt;
            minutes = *time;
        }
        // Unix time in 32 bits reaches into 2106; the year before is the last whole one.
        if (date->year() < std::chrono::year(1970) || date->year() > std::chrono::year(2105)) {
            return fault = "date " + inQuotes(dateText) + " is outside 1970 to 2105", std::nullopt;
        }
        if (!date->ok()) return fault = "date " + inQuotes(dateText) + " is no day of the calendar", std::nullopt;
        const std::int64_t midnight = std::chrono::sys_seconds(std::chrono::sys_days(*date)).time_since_epoch().count();
        const std::int64_t result = m_importer.m_zone.toUtc(midnight + minutes * 60LL);
        if (result < 0 || result > kLastUnixTime) return fault = "the kick-off is outside Unix time", std::nullopt;
        return result;
    }

    // A text of the record as one 8-bit line; line breaks have been refused before.
    void toLatin1(std::string_view what, std::string_view text, std::string& out, std::vector<std::string>& notes) {
        out.clear();
        const FootballDataEncoding encoding = file().encoding;
        if (encoding == FootballDataEncoding::Ascii || !hasNonAscii(text)) {
            out = text;
        } else if (encoding == FootballDataEncoding::Utf8) {
            if (!AppendUtf8AsLatin1(out, text)) {
                notes.push_back(std::string(what) + " " + inQuotes(text) +
                                " has characters Latin-1 lacks, written as look-alikes or '?'");
            }
        } else if (!AppendWindows1252AsLatin1(out, text)) {
            notes.push_back(std::string(what) + " " + inQuotes(out) +
                            " had Windows-1252 characters Latin-1 lacks, written as look-alikes");
        }
    }

    // The bookmakers' complete and valid offers of the row, in column order;
    // an incomplete or broken one is told when `tell` is set.
    void readOffers(const FootballDataCsvRow& row, const std::vector<FootballDataBookmakerColumns>& columns,
                    std::string_view kind, bool tell, std::vector<std::pair<std::size_t, Odds>>& offers) {
        static constexpr std::string_view kOutcomes[] = {"home", "draw", "away"};
        offers.clear();
        for (std::size_t b = 0; b < columns.size(); ++b) {
            const FootballDataBookmakerColumns& bookmaker = columns[b];
            const Odds odds = {cell(row, bookmaker.home), cell(row, bookmaker.draw), cell(row, bookmaker.away)};
            const auto given = std::count_if(odds.begin(), odds.end(), [](auto text) { return !text.empty(); });
            if (given == 0) continue;
            if (given < 3) {
                if (!tell) continue;
                // One or two outcomes lack their odds: "no draw odds", "no draw or away odds".
                std::string reason = bookmaker.code + std::string(kind) + " offer has no";
                std::string_view joint = " ";
                for (std::size_t k = 0; k < 3; ++k) {
                    if (!odds[k].empty()) continue;
                    reason += joint;
                    reason += kOutcomes[k];
                    joint = " or ";
                }
                problem(row.line, Effect::OfferLeftOut, reason + " odds");
                continue;
            }
            const auto* bad = std::find_if(odds.begin(), odds.end(), [](auto text) { return !isOddsText(text); });
            if (bad != odds.end()) {
                if (tell) {
                    problem(row.line, Effect::OfferLeftOut,
                            bookmaker.code + std::string(kind) + " odds " + inQuotes(*bad) +
                                " are no decimal odds above 0");
                }
                continue;
            }
            offers.emplace_back(b, odds);
        }
    }

    // The row as a record; false when it is left out.
    bool importRow(const FootballDataCsvRow& row) {
        if (row.unclosedQuote) {
            return leaveOut(row, LeftOut::OtherFault, "a quoted field is not closed up to the end of the file");
        }
        std::string fault;
        const auto start = kickOff(row, fault);
        if (!start) return leaveOut(row, LeftOut::BadDate, std::move(fault));

        const std::string_view home = cell(row, m_columns.homeTeam);
        const std::string_view away = cell(row, m_columns.awayTeam);
        if (home.empty()) return leaveOut(row, LeftOut::OtherFault, "no home team");
        if (away.empty()) return leaveOut(row, LeftOut::OtherFault, "no away team");

        std::string_view competition;
        std::string_view country;
        if (m_columns.division != FootballDataColumns::kAbsent) {
            const std::string_view division = cell(row, m_columns.division);
            if (division.empty()) return leaveOut(row, LeftOut::OtherFault, "no division");
            const FootballDataCompetition known = FootballDataCompetitionOf(division);
            competition = known.competition.empty() ? division : known.competition;
            country = known.competition.empty() ? kUnknownCountry : known.country;
        } else {
            competition = cell(row, m_columns.league);
            country = cell(row, m_columns.country);
            if (competition.empty()) return leaveOut(row, LeftOut::OtherFault, "no league");
            if (country.empty()) return leaveOut(row, LeftOut::OtherFault, "no country");
        }

        // Both goals, or neither for a match not played yet.
        const std::string_view homeGoalsText = cell(row, m_columns.homeGoals);
        const std::string_view awayGoalsText = cell(row, m_columns.awayGoals);
        std::optional<unsigned> homeGoals;
        std::optional<unsigned> awayGoals;
        if (homeGoalsText.empty() && awayGoalsText.empty()) {
            if (!m_importer.m_options.keepFixtures) return leaveOut(row, LeftOut::NoGoals);
        } else {
            if (homeGoalsText.empty()) return leaveOut(row, LeftOut::BadGoals, "no home goals beside the away goals");
            if (awayGoalsText.empty()) return leaveOut(row, LeftOut::BadGoals, "no away goals beside the home goals");
            homeGoals = parseGoals(homeGoalsText);
            awayGoals = parseGoals(awayGoalsText);
            if (!homeGoals) {
                return leaveOut(row, LeftOut::BadGoals,
                                "home goals " + inQuotes(homeGoalsText) + " are no number of goals");
            }
            if (!awayGoals) {
                return leaveOut(row, LeftOut::BadGoals,
                                "away goals " + inQuotes(awayGoalsText) + " are no number of goals");
            }
        }

        const std::pair<std::string_view, std::string_view> texts[] = {{"the home team", home},
                                                                       {"the away team", away},
                                                                       {"the competition", competition},
                                                                       {"the country", country}};
        for (const auto& [what, text] : texts) {
            if (hasLineBreak(text))
                return leaveOut(row, LeftOut::OtherFault, std::string(what) + " runs over more than one line");
        }

        readOffers(row, m_columns.bookmakers, "", true, m_rowOffers);
        if (m_rowOffers.empty()) {
            readOffers(row, m_columns.closing, " closing", false, m_rowClosing);
            if (m_rowClosing.empty()) readOffers(row, m_columns.closingAggregates, " closing", false, m_rowClosing);
            return leaveOut(row, m_rowClosing.empty() ? LeftOut::NoOdds : LeftOut::ClosingOnly);
        }

        texts_t& latin1 = m_texts;
        latin1.notes.clear();
        toLatin1("the home team", home, latin1.home, latin1.notes);
        toLatin1("the away team", away, latin1.away, latin1.notes);
        toLatin1("the competition", competition, latin1.competition, latin1.notes);
        toLatin1("the country", country, latin1.country, latin1.notes);
        if (const auto first = firstRead(*start, latin1)) {
            return leaveOut(row, LeftOut::Duplicate, "the same kick-off and teams as " + *first);
        }
        for (std::string& note : latin1.notes) problem(row.line, Effect::Noted, std::move(note));
        if (m_columns.division != FootballDataColumns::kAbsent && country == kUnknownCountry) {
            noteUnknownDivision(row, competition);
        }

        std::string& out = m_importer.m_texts;
        const std::size_t begin = out.size();
        appendNumberLine(out, *start);
        for (const std::string* text : {&latin1.home, &latin1.away, &latin1.competition, &latin1.country}) {
            appendLine(out, *text);
        }
        if (homeGoals) {
            appendNumberLine(out, *homeGoals);
            appendNumberLine(out, *awayGoals);
        } else {
            appendLine(out, kMissingScore);
            appendLine(out, kMissingScore);
        }
        for (const auto& [b, odds] : m_rowOffers) {
            appendLine(out, m_columns.bookmakers[b].code);
            for (const std::string_view text : odds) appendLine(out, text);
            ++m_offers[b];
        }
        out += kRecordEnd;
        m_importer.m_records.push_back(
            {*start, begin, out.size() - begin, addClosingOdds(row, *start, latin1), m_fileIndex, row.line});
        m_importer.m_recordsByMatch.emplace(m_matchHash, m_importer.m_records.size() - 1);
        m_importer.m_report.offersWritten += m_rowOffers.size();
        return true;
    }

    // Where the same match was read before ("line 12", "E0.csv:12"), or nothing
    // for a new one, whose hash is kept for its record.
    std::optional<std::string> firstRead(std::int64_t start, const texts_t& texts) {
        constexpr std::size_t kMix = 0x9E3779B97F4A7C15ULL;
        const std::hash<std::string_view> hash;
        m_matchHash = ((static_cast<std::size_t>(start) * kMix) ^ hash(texts.home)) * kMix ^ hash(texts.away);
        const auto [first, last] = m_importer.m_recordsByMatch.equal_range(m_matchHash);
        for (auto candidate = first; candidate != last; ++candidate) {
            const record_t& record = m_importer.m_records[candidate->second];
            if (record.kickOff != start || recordLine(record, 1) != texts.home || recordLine(record, 2) != texts.away) {
                continue;
            }
            if (record.file == m_fileIndex) return "line " + std::to_string(record.line);
            return m_importer.m_report.files[record.file].file.string() + ":" + std::to_string(record.line);
        }
        return std::nullopt;
    }

    // A line of a record's text: 1 for the home team, 2 for the away team.
    std::string_view recordLine(const record_t& record, std::size_t line) const {
        std::string_view text(m_importer.m_texts.data() + record.begin, record.size);
        for (; line > 0; --line) text.remove_prefix(text.find(kLineEnd) + kLineEnd.size());
        return text.substr(0, text.find(kLineEnd));
    }

    // The row's closing odds in the importer's list; their index, or kNoClosingOdds.
    std::size_t addClosingOdds(const FootballDataCsvRow& row, std::int64_t start, const texts_t& texts) {
        readOffers(row, m_columns.closing, " closing", true, m_rowClosing);
        if (m_rowClosing.empty()) return kNoClosingOdds;
        ClosingOddsRecord record{start, texts.home, texts.away, {}};
        for (const auto& [b, odds] : m_rowClosing) {
            record.offers.push_back(
                {m_columns.closing[b].code, std::string(odds[0]), std::string(odds[1]), std::string(odds[2])});
        }
        m_importer.m_report.closingOffersWritten += record.offers.size();
        ++m_importer.m_report.recordsWithClosingOdds;
        m_importer.m_closing.push_back(std::move(record));
        return m_importer.m_closing.size() - 1;
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
    std::size_t m_fileIndex = 0;
    std::string_view m_content;
    FootballDataCsvReader m_reader;
    FootballDataColumns m_columns;
    // Offers written per bookmaker of m_columns.
    std::vector<std::size_t> m_offers;
    // Buffers of the row at hand, kept for their capacity.
    std::vector<std::pair<std::size_t, Odds>> m_rowOffers;
    std::vector<std::pair<std::size_t, Odds>> m_rowClosing;
    texts_t m_texts;
    std::size_t m_matchHash = 0;
};

namespace {

TimeZone zoneOf(const FootballDataImportOptions& options) {
    if (options.zone) return *options.zone;
    std::optional<TimeZone> london = LoadSystemTimeZone("Europe/London");
    if (!london) {
        throw FootballDataImportError(
            "Cannot read the UK's time zone (Europe/London) from the system's time zone data: install tzdata, or "
            "give the files' zone with -z");
    }
    return *london;
}

}  // namespace

FootballDataImporter::FootballDataImporter(FootballDataImportOptions options)
    : m_options(std::move(options)), m_zone(zoneOf(m_options)) {}

void FootballDataImporter::addFile(const std::filesystem::path& name, std::string_view content) {
    ++m_report.filesRead;
    // A file's records take less than its CSV text: room for them at once,
    // growing geometrically so that many files never copy the texts often.
    if (const std::size_t needed = m_texts.size() + content.size(); needed > m_texts.capacity()) {
        m_texts.reserve(std::max(needed, 2 * m_texts.capacity()));
    }
    FileImport(*this, name, content).run();
}

std::vector<FootballDataImporter::record_t> FootballDataImporter::sortedRecords() const {
    std::vector<record_t> sorted = m_records;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const record_t& a, const record_t& b) { return a.kickOff < b.kickOff; });
    return sorted;
}

std::string FootballDataImporter::dataSource() const {
    std::string text;
    text.reserve(m_texts.size());
    for (const record_t& record : sortedRecords()) text.append(m_texts, record.begin, record.size);
    return text;
}

std::string FootballDataImporter::descriptor() const {
    std::string text;
    for (const std::string& code : report().bookmakers) appendLine(text, code);
    return text;
}

std::string FootballDataImporter::closingOdds() const {
    std::vector<ClosingOddsRecord> records;
    records.reserve(m_closing.size());
    for (const record_t& record : sortedRecords()) {
        if (record.closing != kNoClosingOdds) records.push_back(m_closing[record.closing]);
    }
    return FormatClosingOdds(records);
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

    // All three files are on the disk before any replaces its old self, so that
    // a failure leaves the old set rather than a new data source with an old
    // descriptor. The error names the file that could not be written.
    std::filesystem::path descriptorFile = dataSource;
    descriptorFile.replace_extension(".desc");
    const std::pair<std::filesystem::path, std::string> contents[] = {
        {dataSource, importer.dataSource()},
        {descriptorFile, importer.descriptor()},
        {ClosingOddsFileOf(dataSource), importer.closingOdds()},
    };
    const auto cannotWrite = [](const std::filesystem::path& file) {
        return FootballDataImportError("Cannot write " + inQuotes(file.string()));
    };
    std::vector<std::unique_ptr<ReplacementFile>> replacements;
    for (const auto& [file, text] : contents) {
        auto replacement = files.replaceFile(file);
        if (!replacement || !replacement->write(text) || !replacement->flush()) throw cannotWrite(file);
        replacements.push_back(std::move(replacement));
    }
    // Only a rename refused after the first (a race with another program) fails here.
    for (std::size_t i = 0; i < replacements.size(); ++i) {
        if (!replacements[i]->commit()) throw cannotWrite(contents[i].first);
    }
    return report;
}

}  // namespace karvola
