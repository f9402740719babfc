// opt 1 on the first 10,000 matches of europe5 (struct *, LO 1, HI 10000, BND% 12):
// the plain search once, the fast one on two threads and on one, their times, the
// ratio, and whether the reports printed for the two are the same byte for byte.
//
//   optimizer_bench [records]    (KARVOLA_SHARED_DATA overrides the data folder)
//
// It also times a whole karvola-cli run (start-up, load, struct *, :props, opt 1)
// on the same matches against the reference search, and compares their reports.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "Europe5Domain.h"
#include "analysis/StrategyReports.h"
#include "analysis/WvectorRule.h"
#include "analysis/WvectorSearch.h"
#include "common/TerminalSink.h"

namespace {

class CapturingSink final : public karvola::TerminalSink {
public:
    void appendLine(std::string_view line) override {
        const std::lock_guard lock(m_mutex);
        lines.emplace_back(line);
    }
    void clearScreen() override {}
    std::vector<std::string> lines;

private:
    std::mutex m_mutex;
};

class QuietObserver final : public karvola::SearchObserver {};

// The report opt prints, with every display position on.
std::vector<std::string> reportOf(const karvola::SearchOutcome& outcome,
                                  std::span<const karvola::basic_record_t> range) {
    CapturingSink sink;
    const karvola::ReportFormat format{karvola::DisplayOptions("111111111111"), '.'};
    karvola::WriteWvectorReport(sink, outcome.best, outcome.statistics,
                                karvola::WvectorWinLossSequence(outcome.best, range), format);
    return sink.lines;
}

template <typename Search>
double secondsOf(Search&& search) {
    const auto start = std::chrono::steady_clock::now();
    search();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The whole program against the reference search alone: karvola-cli starts, loads
// europe5, runs struct *, narrows the compartment to the same matches and runs opt 1.
bool compareWholeCliRun(std::size_t count, double referenceSeconds, const std::vector<std::string>& referenceReport) {
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "karvola-optimizer-bench";
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    {
        std::ofstream script(work / "script.txt");
        script << ":options 111111111111\nstruct *\n:props 1 " << count << " 12\nopt 1\n";
    }
    const std::string command = std::string(KARVOLA_CLI_PATH) + " -q --home '" + (work / "home").string() + "' --db '" +
                                karvola::bench::Europe5Path().string() + "' '" + (work / "script.txt").string() +
                                "' > '" + (work / "out.txt").string() + "'";
    int status = 0;
    const double cliSeconds = secondsOf([&] { status = std::system(command.c_str()); });
    std::vector<std::string> report;
    std::ifstream out(work / "out.txt");
    for (std::string line; std::getline(out, line);) {
        if (line.empty() || line.front() != '>') report.push_back(line);
    }
    std::filesystem::remove_all(work);
    const bool same = status == 0 && report == referenceReport;
    std::printf(
        "whole karvola-cli run (start-up, load europe5, struct *, :props 1 %zu 12, opt 1): %.3f s "
        "(%.1fx the reference search)  report %s\n",
        count, cliSeconds, referenceSeconds / cliSeconds, same ? "identical" : "DIFFERENT");
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t wanted = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10'000;

    const auto loaded = karvola::bench::LoadEurope5Domain();
    if (!loaded) {
        std::fprintf(stderr, "cannot load %s\n", karvola::bench::Europe5Path().string().c_str());
        return 2;
    }
    const karvola::ResearchDomain& domain = *loaded;
    const std::size_t count = std::min(wanted, domain.size());

    karvola::SearchInput input;
    input.range = std::span<const karvola::basic_record_t>(domain).first(count);
    input.lo = 1;
    input.hi = static_cast<int>(count);
    input.bndPercent = 12;
    input.maximalSpan = 1;
    std::printf("opt 1 on %zu matches (LO 1, HI %zu, BND%% 12), %u hardware threads\n", count, count,
                std::thread::hardware_concurrency());

    std::atomic<bool> breakRequested{false};
    QuietObserver observer;
    karvola::SearchOutcome reference;
    karvola::SearchOutcome fast2;
    karvola::SearchOutcome fast1;
    const double referenceSeconds =
        secondsOf([&] { reference = karvola::ReferenceWvectorSearch(input, breakRequested, observer); });
    const double fast2Seconds =
        secondsOf([&] { fast2 = karvola::FastWvectorSearch(input, breakRequested, observer, 2); });
    const double fast1Seconds =
        secondsOf([&] { fast1 = karvola::FastWvectorSearch(input, breakRequested, observer, 1); });

    const std::vector<std::string> referenceReport = reportOf(reference, input.range);
    const bool same2 = reportOf(fast2, input.range) == referenceReport;
    const bool same1 = reportOf(fast1, input.range) == referenceReport;

    std::printf("reference:          %8.3f s\n", referenceSeconds);
    std::printf("fast, 2 threads:    %8.3f s  (%.1fx)  report %s\n", fast2Seconds, referenceSeconds / fast2Seconds,
                same2 ? "identical" : "DIFFERENT");
    std::printf("fast, 1 thread:     %8.3f s  (%.1fx)  report %s\n", fast1Seconds, referenceSeconds / fast1Seconds,
                same1 ? "identical" : "DIFFERENT");
    std::printf("report:\n");
    for (const std::string& line : referenceReport) {
        // The win/loss sequence can be long; its length says enough here.
        if (line.size() > 100) {
            std::printf("  (%zu characters)\n", line.size());
        } else {
            std::printf("%s\n", line.c_str());
        }
    }
    const bool sameCli = compareWholeCliRun(count, referenceSeconds, referenceReport);
    return same2 && same1 && sameCli ? 0 : 1;
}
