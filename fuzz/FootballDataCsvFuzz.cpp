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
    FootballDataImporter importer;
    importer.addFile("E0.csv", fuzz::TextOf(data, size));
    const FootballDataImportReport report = importer.report();
    KARVOLA_FUZZ_EXPECT(report.recordsWritten <= report.rowsRead);
    for (const FootballDataProblem& problem : report.problems) {
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
    return 0;
}
