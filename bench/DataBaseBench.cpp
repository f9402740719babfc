#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "database/MatchDBMS.h"

namespace {

// A large base: the real europe5 base repeated up to a million records, the size
// at which loading must still keep up with a million records per second.
constexpr std::size_t kTargetRecords = 1'000'000;

std::filesystem::path sharedData() {
    if (const char* dir = std::getenv("KARVOLA_SHARED_DATA")) return dir;
    return KARVOLA_SHARED_DATA_DIR;
}

// The repeated text, built once; nothing when the real base is not there.
const std::optional<std::string>& largeBaseText() {
    static const std::optional<std::string> text = []() -> std::optional<std::string> {
        std::ifstream in(sharedData() / "database" / "europe5.txt", std::ios::binary);
        if (!in) return std::nullopt;
        const std::string one{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::size_t perCopy = karvola::ParseDataBaseText(one).records.size();
        if (perCopy == 0) return std::nullopt;
        std::string all;
        const std::size_t copies = (kTargetRecords + perCopy - 1) / perCopy;
        all.reserve(one.size() * copies);
        for (std::size_t i = 0; i < copies; ++i) all += one;
        return all;
    }();
    return text;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;  // small chunks plus mmap'ed blocks such as the record vector
}

class NullSink final : public karvola::TerminalSink {
public:
    void appendLine(std::string_view) override {}
    void clearScreen() override {}
};

void BM_ParseDataBaseText(benchmark::State& state) {
    const std::optional<std::string>& text = largeBaseText();
    if (!text) {
        state.SkipWithError("europe5.txt not found: set KARVOLA_SHARED_DATA to the shared data folder");
        return;
    }
    std::size_t records = 0;
    for (auto _ : state) {
        const karvola::ParsedDataBase parsed = karvola::ParseDataBaseText(*text);
        records = parsed.records.size();
        benchmark::DoNotOptimize(parsed.records.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(records * state.iterations()));
    state.counters["records"] = static_cast<double>(records);

    // What a loaded record costs: the record itself plus the heap blocks of its
    // texts that do not fit the strings' inline buffer (the category, mostly).
    const std::size_t before = heapInUse();
    const karvola::ParsedDataBase parsed = karvola::ParseDataBaseText(*text);
    const std::size_t after = heapInUse();
    state.counters["bytes_per_record"] =
        static_cast<double>(after - before) / static_cast<double>(parsed.records.size());
    state.counters["sizeof_record"] = static_cast<double>(sizeof(karvola::data_base_record_t));
}
BENCHMARK(BM_ParseDataBaseText)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole Load from a file on disk (page cache warm after the first round):
// the read, the parse, the categories and the summary lines.
void BM_LoadDataBase(benchmark::State& state) {
    const std::optional<std::string>& text = largeBaseText();
    if (!text) {
        state.SkipWithError("europe5.txt not found: set KARVOLA_SHARED_DATA to the shared data folder");
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "karvola-bench-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        state.SkipWithError("cannot create a temporary file");
        return;
    }
    close(fd);
    const std::filesystem::path file = pattern;
    std::ofstream(file, std::ios::binary) << *text;

    NullSink sink;
    karvola::LocalFileSystem disk;
    karvola::MatchDBMS dbms(sink, disk);
    dbms.SetDataBaseName(file.string());
    int result = 0;
    for (auto _ : state) {
        result = dbms.Load().code;
        benchmark::DoNotOptimize(result);
    }
    std::filesystem::remove(file);
    if (result != 0) {
        state.SkipWithError("the large base did not load");
        return;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(dbms.records().size() * state.iterations()));
    state.counters["records"] = static_cast<double>(dbms.records().size());
}
BENCHMARK(BM_LoadDataBase)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
