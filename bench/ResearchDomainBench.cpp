#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "database/ResearchDomainBuilder.h"

namespace {

// The real europe5 data base: from KARVOLA_SHARED_DATA when set, else from the shared
// folder the build names, else from the one beside the project.
std::filesystem::path europe5Path() {
    std::filesystem::path shared;
    if (const char* variable = std::getenv("KARVOLA_SHARED_DATA"); variable != nullptr && variable[0] != '\0') {
        shared = variable;
    } else {
#ifdef KARVOLA_SHARED_DATA_DIR
        shared = KARVOLA_SHARED_DATA_DIR;
#else
        shared = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "shared" / "data";
#endif
    }
    return shared / "database" / "europe5.txt";
}

// Nine lines per record, CR LF or LF; just enough of a reader for the benchmarks, which
// must not depend on the data base loader.
std::vector<karvola::data_base_record_t> loadRecords(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    std::vector<karvola::data_base_record_t> records;
    for (std::size_t i = 0; i + 9 <= lines.size(); i += 9) {
        karvola::data_base_record_t record;
        record.date = lines[i];
        record.category = lines[i + 1];
        record.team1 = lines[i + 2];
        record.team2 = lines[i + 3];
        record.odds1 = lines[i + 4];
        record.odds0 = lines[i + 5];
        record.odds2 = lines[i + 6];
        record.result = lines[i + 7].empty() ? '?' : lines[i + 7][0];
        record.flag = lines[i + 8].empty() ? '0' : lines[i + 8][0];
        records.push_back(std::move(record));
    }
    return records;
}

const std::vector<karvola::data_base_record_t>& europe5() {
    static const std::vector<karvola::data_base_record_t> records = loadRecords(europe5Path());
    return records;
}

bool skipWithoutData(benchmark::State& state) {
    if (!europe5().empty()) return false;
    state.SkipWithError(("no records in " + europe5Path().string()).c_str());
    return true;
}

// struct *: every record against one mask, each with a result entering the domain.
void BM_BuildResearchDomainByMasksStar(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    const std::vector<std::string> masks = {"*"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(karvola::BuildResearchDomainByMasks(europe5(), masks));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(europe5().size()));
}
BENCHMARK(BM_BuildResearchDomainByMasksStar)->Unit(benchmark::kMillisecond);

// rsr: one substitution and one logic expression per record.
void BM_RestrictResearchDomainTwoConditions(benchmark::State& state) {
    if (skipWithoutData(state)) return;
    const std::vector<std::string> masks = {"*"};
    const karvola::ResearchDomain domain = karvola::BuildResearchDomainByMasks(europe5(), masks).domain;
    std::size_t kept = 0;
    for (auto _ : state) {
        const karvola::ResearchDomain restricted = karvola::RestrictResearchDomain(domain, " ODDS1 > 1.5 && ODDS2 < 4");
        kept = restricted.size();
        benchmark::DoNotOptimize(restricted.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(domain.size()));
    state.counters["domain"] = static_cast<double>(domain.size());
    state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_RestrictResearchDomainTwoConditions)->Unit(benchmark::kMillisecond);

}  // namespace
