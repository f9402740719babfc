// The data source conversion of europe5 with every bookmaker of its descriptor,
// as the wizard runs it: records per second over several runs, and the peak
// resident memory of one run against the size of the data source.
//
//   conversion_bench [runs]    (KARVOLA_SHARED_DATA overrides the data folder)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "wizard/DataBaseCreation.h"
#include "wizard/DataSourceToDataBase.h"

namespace {

std::filesystem::path sharedData() {
    if (const char* variable = std::getenv("KARVOLA_SHARED_DATA"); variable != nullptr && variable[0] != '\0') {
        return variable;
    }
    return KARVOLA_SHARED_DATA_DIR;
}

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); 0 when absent.
long statusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, key.size() + 1, key + ":") == 0) return std::atol(line.c_str() + key.size() + 1);
    }
    return 0;
}

// Lets VmHWM start again from the current resident size (Linux 4.0 on).
bool resetPeak() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

// The real disk for reading; the base goes nowhere, so that a run times the
// conversion without the disk's flush of the new file.
class DiscardingFileSystem final : public karvola::FileSystem {
public:
    std::optional<std::string> readFile(const std::filesystem::path& file) override { return m_disk.readFile(file); }
    bool exists(const std::filesystem::path& file) override { return m_disk.exists(file); }
    std::unique_ptr<karvola::ReplacementFile> replaceFile(const std::filesystem::path&) override {
        return std::make_unique<Discarded>();
    }

private:
    class Discarded final : public karvola::ReplacementFile {
    public:
        bool write(std::string_view) override { return true; }
        bool commit() override { return true; }
    };
    karvola::LocalFileSystem m_disk;
};

struct Run {
    bool converted = false;
    std::size_t records = 0;
    double seconds = 0.0;
};

Run convert(karvola::FileSystem& files, const std::filesystem::path& source, const std::filesystem::path& base,
            const std::vector<std::string>& bookmakers) {
    const karvola::SystemClock clock;
    karvola::DataSourceToDataBase conversion(files, clock);
    conversion.SetSourceFileName(source.string());
    conversion.SetBaseFileName(base.string());
    conversion.SetSelectedBookmakers(bookmakers);
    conversion.SetMode(karvola::DataSourceToDataBase::kConvertMode);
    Run run;
    conversion.SetProgressBar([](int, const std::string&) {});
    const auto start = std::chrono::steady_clock::now();
    run.converted = conversion.Convert();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

std::size_t countRecords(const std::filesystem::path& source) {
    std::ifstream in(source, std::ios::binary);
    std::string line;
    std::size_t records = 0;
    while (std::getline(in, line)) records += line == "####\r" ? 1 : 0;
    return records;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::filesystem::path source = sharedData() / "datasource" / "europe5.txt";
    karvola::LocalFileSystem files;
    const auto bookmakers = karvola::ReadDataSourceDescriptor(files, source);
    if (!std::filesystem::exists(source) || !bookmakers) {
        std::fprintf(stderr, "%s not found: set KARVOLA_SHARED_DATA to the shared data folder\n", source.c_str());
        return 1;
    }
    const double sourceBytes = static_cast<double>(std::filesystem::file_size(source));
    const std::size_t records = countRecords(source);
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("karvola-conversion-bench-" + std::to_string(::getpid()) + ".txt");

    // Memory first, before the timing runs have touched the heap.
    const bool peakReset = resetPeak();
    const long before = statusKilobytes("VmRSS");
    const Run first = convert(files, source, base, *bookmakers);
    const long peak = statusKilobytes("VmHWM");
    if (!first.converted) {
        std::fprintf(stderr, "the conversion failed\n");
        return 1;
    }

    // Mean and best of the runs, with the base written to disk and without.
    struct Timing {
        double total = 0.0;
        double best = 1e9;
    };
    DiscardingFileSystem nowhere;
    Timing disk;
    Timing memory;
    for (int i = 0; i < runs; ++i) {
        for (auto [fileSystem, timing] : {std::pair{static_cast<karvola::FileSystem*>(&files), &disk},
                                          std::pair{static_cast<karvola::FileSystem*>(&nowhere), &memory}}) {
            const Run run = convert(*fileSystem, source, base, *bookmakers);
            timing->total += run.seconds;
            timing->best = std::min(timing->best, run.seconds);
        }
    }
    std::filesystem::remove(base);

    std::printf("conversion of europe5: %zu records, %.0f bytes, %zu bookmakers\n", records, sourceBytes,
                bookmakers->size());
    const auto show = [&](const char* what, const Timing& timing) {
        std::printf("  %s: mean of %d runs %.1f ms, %.0f records/s; best %.1f ms, %.0f records/s\n", what, runs,
                    timing.total / runs * 1000.0, static_cast<double>(records) * runs / timing.total,
                    timing.best * 1000.0, static_cast<double>(records) / timing.best);
    };
    show("base written to disk", disk);
    show("base not written    ", memory);
    std::printf("  peak resident (VmHWM%s): %ld kB = %.2f x the data source\n", peakReset ? "" : ", not reset", peak,
                static_cast<double>(peak) * 1024.0 / sourceBytes);
    std::printf("  of which the conversion: %ld kB = %.2f x the data source (resident before: %ld kB)\n", peak - before,
                static_cast<double>(peak - before) * 1024.0 / sourceBytes, before);
    return 0;
}
