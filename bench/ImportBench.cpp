// The football-data.co.uk import of the 95 real CSV files (34,519 match rows):
// rows per second, from disk to the data source files and from texts already in
// memory to the data source text (UK time read from the system, as the program
// does). The target is 280,000 rows per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/FileSystem.h"
#include "wizard/FootballDataImport.h"

namespace {

namespace fs = std::filesystem;

fs::path sharedData() {
    if (const char* dir = std::getenv("KARVOLA_SHARED_DATA")) return dir;
    return KARVOLA_SHARED_DATA_DIR;
}

fs::path csvFolder() {
    return sharedData() / "football-data";
}

// The CSV files' names and contents, read once; empty when the real data is not there.
const std::vector<std::pair<fs::path, std::string>>& csvFiles() {
    static const std::vector<std::pair<fs::path, std::string>> files = [] {
        std::vector<std::pair<fs::path, std::string>> read;
        if (!fs::is_directory(csvFolder())) return read;
        karvola::LocalFileSystem disk;
        for (const fs::path& file : karvola::ListFootballDataFiles({csvFolder()})) {
            read.emplace_back(file, disk.readFile(file).value_or(""));
        }
        return read;
    }();
    return files;
}

void reportRows(benchmark::State& state, const karvola::FootballDataImportReport& report) {
    state.SetItemsProcessed(static_cast<std::int64_t>(report.rowsRead * state.iterations()));
    state.counters["rows"] = static_cast<double>(report.rowsRead);
    state.counters["rows_per_s"] =
        benchmark::Counter(static_cast<double>(report.rowsRead), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ImportInMemory(benchmark::State& state) {
    const auto& files = csvFiles();
    if (files.empty()) {
        state.SkipWithError("football-data/ not found: set KARVOLA_SHARED_DATA to the shared data folder");
        return;
    }
    karvola::FootballDataImportReport report;
    for (auto _ : state) {
        karvola::FootballDataImporter importer;
        for (const auto& [name, content] : files) importer.addFile(name, content);
        const std::string text = importer.dataSource();
        benchmark::DoNotOptimize(text.data());
        report = importer.report();
    }
    reportRows(state, report);
}
BENCHMARK(BM_ImportInMemory)->Unit(benchmark::kMillisecond);

// What the user waits for: the folder listed and read, the data source, its
// descriptor and its closing odds written.
void BM_ImportFolderToFiles(benchmark::State& state) {
    if (!fs::is_directory(csvFolder())) {
        state.SkipWithError("football-data/ not found: set KARVOLA_SHARED_DATA to the shared data folder");
        return;
    }
    std::string pattern = (fs::temp_directory_path() / "karvola-import-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("cannot create a temporary folder");
        return;
    }
    const fs::path folder = pattern;
    karvola::LocalFileSystem disk;
    karvola::FootballDataImportReport report;
    for (auto _ : state) report = karvola::ImportFootballData(disk, {csvFolder()}, folder / "europe5.txt");
    reportRows(state, report);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_ImportFolderToFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
