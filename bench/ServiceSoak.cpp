// karvola-service under a bounded soak: the real program on a loopback port the
// system chose, serving the shipped content with its kick-offs moved to
// tomorrow, while several clients at once send it the program's own exchanges
// and what a broken or hostile client sends (see SoakExchanges.h), for a set
// time. It fails when the service dies or stops answering, answers one of the
// program's requests otherwise than with its exact reply, answers a malformed
// one otherwise than it must, keeps a connection open past its limits, or keeps
// growing in memory through the second half of the run.
//
//   service_soak [--seconds N] [--clients N] [--slow-clients N] [--seed N] [--service PATH]
//     (default 180 s, 6 busy clients and 2 slow ones, the karvola-service of
//     this build; another, such as a ThreadSanitizer build's, is soaked the same way)

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ProcessMemory.h"
#include "ServiceProcess.h"
#include "SoakExchanges.h"
#include "UpcomingFolder.h"
#include "UpcomingsReply.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"

namespace {

namespace fs = std::filesystem;
using namespace karvola::soak;
using karvola::testing::ServiceProcess;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// At the end of the run the service's resident memory may lie this much above
// the most it had in the first half, at the most. By half-way every server
// thread has served each kind of request, the largest included (a header block
// read up to 1 MB), so the allocator's per-thread arenas hold their working set
// (about 13 MB above the service at rest, in a run of 3 minutes); what comes
// after is noise of a few hundred KB. A leak of a few bytes per request over
// the hundreds of thousands of a run's second half goes beyond it (the report
// says how many bytes per request the bound stands for).
constexpr long kGrowthBoundKb = 4 * 1024;

struct SoakOptions {
    std::chrono::seconds duration{180};
    int clients = 6;
    // Slow exchanges take seconds each, each holding a thread of the service's
    // meanwhile; more slow clients than its sixteen ready threads check that
    // they do not keep the program's requests waiting.
    int slowClients = 2;
    std::uint64_t seed = 1;
    std::string service = KARVOLA_SERVICE_PATH;
};

std::optional<SoakOptions> ParseOptions(int argc, char** argv) {
    SoakOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const std::string_view text = argv[i + 1];
        if (name == "--service") {
            options.service = text;
            continue;
        }
        std::uint64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
        if (name == "--seconds" && value > 0 && value <= 86'400) {
            options.duration = std::chrono::seconds(value);
        } else if (name == "--clients" && value > 0 && value <= 64) {
            options.clients = static_cast<int>(value);
        } else if (name == "--slow-clients" && value <= 64) {
            options.slowClients = static_cast<int>(value);
        } else if (name == "--seed") {
            options.seed = value;
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0) return std::nullopt;
    return options;
}

// The amount the service moved the kick-offs by, from its log's note; it moves
// them so that the first lies a day after its start.
std::optional<std::int64_t> KickOffShift(const fs::path& log) {
    constexpr std::string_view kNote = "kick-offs moved by ";
    for (const auto deadline = Clock::now() + 10s; Clock::now() < deadline; std::this_thread::sleep_for(20ms)) {
        const std::string lines = karvola::testing::ReadFileContent(log);
        const auto at = lines.find(kNote);
        if (at == std::string::npos) continue;
        std::int64_t shift = 0;
        const char* first = lines.data() + at + kNote.size();
        if (std::from_chars(first, lines.data() + lines.size(), shift).ec == std::errc()) return shift;
    }
    return std::nullopt;
}

// The upcoming-matches reply the service owes a known key: the content's
// matches read here as the service reads them, moved by the service's shift,
// none of them kicked off (the first lies a day ahead).
std::string ExpectedUpcomingReply(const fs::path& content, std::int64_t shift, std::size_t& matches) {
    const auto ignore = [](const std::string&) {};
    const fs::path folder = fs::canonical(content);
    const auto unshifted = karvola::service::UpcomingFolder(folder, ignore).current();
    const std::string document = unshifted->document(std::numeric_limits<std::int64_t>::min());
    const auto timestamp = document.find("<TIMESTAMP>");
    if (timestamp == std::string::npos) return {};
    std::int64_t earliest = 0;
    std::from_chars(document.data() + timestamp + 11, document.data() + document.size(), earliest);
    const auto shifted = karvola::service::UpcomingFolder(folder, ignore, earliest + shift).current();
    matches = shifted->size();
    const karvola::service::UpcomingNow now{shifted, static_cast<std::int64_t>(std::time(nullptr))};
    return karvola::service::UpcomingsReply("OK", "", now.document());
}

// What one client saw, merged once all have ended.
struct KindTally {
    std::size_t exchanges = 0;
    std::size_t validRequests = 0;
    std::size_t validAnswered = 0;
    std::size_t failures = 0;
    std::map<std::string, std::size_t> results;
};

struct ClientTally {
    std::map<std::string_view, KindTally> kinds;
    std::vector<double> latencies;
    std::vector<std::string> failures;  // the first few, with their kind

    void add(std::string_view kind, Outcome outcome) {
        KindTally& tally = kinds[kind];
        ++tally.exchanges;
        tally.validRequests += outcome.validRequests;
        tally.validAnswered += outcome.validAnswered;
        ++tally.results[outcome.result];
        latencies.insert(latencies.end(), outcome.validLatencies.begin(), outcome.validLatencies.end());
        if (outcome.failure.empty()) return;
        ++tally.failures;
        if (failures.size() < 10) failures.push_back(std::string(kind) + ": " + outcome.failure);
    }

    void merge(const ClientTally& other) {
        for (const auto& [kind, theirs] : other.kinds) {
            KindTally& ours = kinds[kind];
            ours.exchanges += theirs.exchanges;
            ours.validRequests += theirs.validRequests;
            ours.validAnswered += theirs.validAnswered;
            ours.failures += theirs.failures;
            for (const auto& [result, count] : theirs.results) ours.results[result] += count;
        }
        latencies.insert(latencies.end(), other.latencies.begin(), other.latencies.end());
        failures.insert(failures.end(), other.failures.begin(), other.failures.end());
    }
};

// Picks exchanges of the table by their weights and runs them until the end.
ClientTally RunClient(std::span<const ExchangeKind> table, const SoakTarget& target, std::uint64_t seed,
                      Clock::time_point end) {
    Random random(seed);
    std::vector<int> weights;
    for (const ExchangeKind& kind : table) weights.push_back(kind.weight);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    ClientTally tally;
    while (Clock::now() < end) {
        const ExchangeKind& kind = table[pick(random)];
        Outcome outcome;
        try {
            outcome = kind.run(target, random);
        } catch (const std::exception& error) {
            outcome = {.result = "cannot connect", .failure = error.what(), .validRequests = kind.valid ? 1u : 0u};
        }
        tally.add(kind.name, std::move(outcome));
    }
    return tally;
}

double Percentile(std::vector<double>& sorted, double share) {
    if (sorted.empty()) return 0.0;
    const auto at = static_cast<std::size_t>(share * static_cast<double>(sorted.size() - 1));
    return sorted[at];
}

const MemorySample& SampleAt(const std::vector<MemorySample>& samples, Clock::duration at) {
    const auto later = std::find_if(samples.begin(), samples.end(), [at](const auto& s) { return s.at >= at; });
    return later == samples.end() ? samples.back() : *later;
}

void PrintSample(const char* when, const MemorySample& sample) {
    std::printf("  %-28s %6.1f s  VmRSS %7ld KB  VmHWM %7ld KB\n", when,
                std::chrono::duration<double>(sample.at).count(), sample.residentKb, sample.peakKb);
}

// Reports the service's memory before, half-way through and at the end of the
// load; a failure when the end lies more than the bound above the most it
// had in the first half.
std::string CheckMemory(const std::vector<MemorySample>& samples, Clock::duration loadBegan, Clock::duration load,
                        std::size_t validRequests) {
    if (samples.size() < 2) return "no memory samples of karvola-service";
    const MemorySample& middle = SampleAt(samples, loadBegan + load / 2);
    long firstHalf = 0;
    for (const MemorySample& sample : samples) {
        if (sample.at <= middle.at) firstHalf = std::max(firstHalf, sample.residentKb);
    }
    const MemorySample& last = samples.back();
    std::printf("karvola-service's memory:\n");
    PrintSample("at rest, before the load", samples.front());
    PrintSample("half-way", middle);
    PrintSample("at the end of the load", last);
    const long growth = last.residentKb - firstHalf;
    const std::size_t secondHalf = validRequests / 2;
    std::printf(
        "  the end against the first half's most: %+ld KB (bound %ld KB: %.1f bytes for each of the second"
        " half's ~%zu valid requests)\n",
        growth, kGrowthBoundKb,
        secondHalf ? static_cast<double>(kGrowthBoundKb) * 1024.0 / static_cast<double>(secondHalf) : 0.0, secondHalf);
    if (growth <= kGrowthBoundKb) return {};
    return "karvola-service's resident memory grew by " + std::to_string(growth) + " KB in the second half of the run";
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(
            stderr, "usage: service_soak [--seconds N] [--clients N] [--slow-clients N] [--seed N] [--service PATH]\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    const karvola::testing::TemporaryDirectory folder;
    const fs::path content = fs::path(KARVOLA_PROJECT_DATA_DIR) / "service";
    const fs::path log = folder.path() / "service.log";
    ServiceProcess service({"--content", content.string(), "--shift-to-now", "--log", log.string()}, options->service);

    ExpectedReplies expected{karvola::testing::ReadFileContent(content / "referals.txt"),
                             karvola::testing::ReadFileContent(content / "advert.txt"),
                             {},
                             "demo"};
    std::size_t matches = 0;
    const auto shift = KickOffShift(log);
    if (shift) expected.upcoming = ExpectedUpcomingReply(content, *shift, matches);
    if (!shift || matches == 0) {
        std::fprintf(stderr, "service_soak: no upcoming matches to expect (the service's log: %s)\n",
                     karvola::testing::ReadFileContent(log).c_str());
        return 1;
    }
    const SoakTarget target{service.port(), &expected};
    if (const std::string failures = CheckProgramExchanges(target); !failures.empty()) {
        std::fprintf(stderr, "service_soak: the service answers wrongly before any load:\n%s", failures.c_str());
        return 1;
    }

    std::printf("soak of %s: %lld s, %d busy clients and %d slow ones, seed %llu\n", options->service.c_str(),
                static_cast<long long>(options->duration.count()), options->clients, options->slowClients,
                static_cast<unsigned long long>(options->seed));
    std::printf("content %s: %zu upcoming matches, a reply of %zu bytes\n", content.c_str(), matches,
                expected.upcoming.size());
    std::fflush(stdout);

    const auto samplingStart = Clock::now();
    const MemorySampler sampler(service.pid(), 500ms);
    std::this_thread::sleep_for(600ms);
    const auto loadStart = Clock::now();
    const auto end = loadStart + options->duration;
    const int clientCount = options->clients + options->slowClients;
    std::vector<ClientTally> tallies(static_cast<std::size_t>(clientCount));
    const auto client = [&](int i) {
        const auto table = i < options->clients ? QuickExchanges() : SlowExchanges();
        return std::jthread([&, table, i] {
            tallies[static_cast<std::size_t>(i)] = RunClient(table, target, options->seed * 1000 + i, end);
        });
    };
    std::vector<std::jthread> slowClients;
    for (int i = options->clients; i < clientCount; ++i) slowClients.push_back(client(i));
    {
        std::vector<std::jthread> busyClients;
        for (int i = 0; i < options->clients; ++i) busyClients.push_back(client(i));
    }
    // The rates count the time of the busy clients; a slow exchange may run a few seconds longer.
    const auto loadEnd = Clock::now();
    slowClients.clear();
    const std::vector<MemorySample> samples = sampler.samples();

    ClientTally total;
    for (const ClientTally& tally : tallies) total.merge(tally);
    // The faults beside the exchanges' own.
    std::vector<std::string> failures;

    // Still there, and still right.
    const bool alive = service.running();
    if (!alive) failures.emplace_back("karvola-service died during the soak");
    if (alive) {
        if (const std::string wrong = CheckProgramExchanges(target); !wrong.empty()) {
            failures.push_back("after the soak: " + wrong);
        }
    }

    const double seconds = std::chrono::duration<double>(loadEnd - loadStart).count();
    std::size_t exchanges = 0;
    std::size_t validRequests = 0;
    std::size_t validAnswered = 0;
    std::size_t failed = 0;
    std::printf("\n%-34s %9s %9s %7s  results\n", "exchange", "count", "valid req", "failed");
    for (const auto& [kind, tally] : total.kinds) {
        exchanges += tally.exchanges;
        validRequests += tally.validRequests;
        validAnswered += tally.validAnswered;
        failed += tally.failures;
        std::string results;
        for (const auto& [result, count] : tally.results) {
            results += (results.empty() ? "" : ", ") + result + " x" + std::to_string(count);
        }
        std::printf("%-34.*s %9zu %9zu %7zu  %s\n", static_cast<int>(kind.size()), kind.data(), tally.exchanges,
                    tally.validRequests, tally.failures, results.c_str());
    }
    std::printf(
        "\n%zu exchanges in %.1f s: %.0f a second; %zu of the program's requests, %.0f a second, %zu of them"
        " not answered rightly\n",
        exchanges, seconds, static_cast<double>(exchanges) / seconds, validRequests,
        static_cast<double>(validRequests) / seconds, validRequests - validAnswered);
    std::sort(total.latencies.begin(), total.latencies.end());
    std::printf(
        "latency of the program's requests answered at its pace (ms): p50 %.2f  p90 %.2f  p99 %.2f  "
        "p99.9 %.2f  max %.2f\n",
        Percentile(total.latencies, 0.5), Percentile(total.latencies, 0.9), Percentile(total.latencies, 0.99),
        Percentile(total.latencies, 0.999), total.latencies.empty() ? 0.0 : total.latencies.back());

    if (std::string memory = CheckMemory(samples, loadStart - samplingStart, loadEnd - loadStart, validRequests);
        !memory.empty()) {
        failures.push_back(std::move(memory));
    }

    if (alive) {
        service.signal(SIGTERM);
        if (service.waitForExit(15s) != 0) failures.emplace_back("karvola-service did not stop cleanly on SIGTERM");
    }
    if (failed == 0 && failures.empty()) {
        std::printf(
            "\nno faults: the service lived, answered every request of the program rightly and every other"
            " as it must\n");
        return 0;
    }
    std::printf("\n%zu faults; among them:\n", failed + failures.size());
    for (const std::string& failure : total.failures) std::printf("  %s\n", failure.c_str());
    for (const std::string& failure : failures) std::printf("  %s\n", failure.c_str());
    return 1;
}
