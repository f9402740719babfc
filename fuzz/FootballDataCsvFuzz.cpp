#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "wizard/DataSourceReader.h"
#include "wizard/FootballDataImport.h"

using namespace karvola;

// A football-data.co.uk CSV file as the import reads it: every row becomes a
// match or a reported problem, and what the import writes is a data source the
// wizard reads to its end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // UK time with its summer time, read once: the import's own default.
    static const TimeZone kUkTime = LoadSystemTimeZone("Europe/London").value_or(TimeZone::FixedHours(0));
    // The first byte's low bit keeps fixtures, so both ways are tried.
    FootballDataImporter importer({.zone = kUkTime, .keepFixtures = size > 0 && (data[0] & 1U) != 0});
    importer.addFile("E0.csv", fuzz::TextOf(data, size));
    const FootballDataImportReport report = importer.report();
    KARVOLA_FUZZ_EXPECT(report.recordsWritten <= report.rowsRead);
    // Each row read is a match or left out for a reason.
    for (const FootballDataFileReport& file : report.files) {
        std::size_t accounted = file.matches;
        for (const std::size_t count : file.leftOut) accounted += count;
        KARVOLA_FUZZ_EXPECT(accounted == file.rows);
    }
    for (const FootballDataProblem& problem : report.allProblems()) {
        KARVOLA_FUZZ_EXPECT(!problem.reason.empty());
        KARVOLA_FUZZ_EXPECT(!FormatFootballDataProblem(problem).empty());
    }
    const std::string source = importer.dataSource();
    DataSourceReader reader(source);
    std::size_t records = 0;
    try {
        while (reader.ReadRecord()) ++records;
    } catch (const std::logic_error&) {
        KARVOLA_FUZZ_FAULT();
    }
    KARVOLA_FUZZ_EXPECT(records == report.recordsWritten);
    static_cast<void>(importer.descriptor());
    KARVOLA_FUZZ_EXPECT(ReadClosingOdds(importer.closingOdds()).records.size() == report.recordsWithClosingOdds);
    return 0;
}
