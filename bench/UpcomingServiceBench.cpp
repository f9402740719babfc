// karvola-service's upcoming matches at volume: a content of 5,000 matches still
// to be played, priced by 10 bookmakers each, in a data source of a temporary
// content folder, asked for over loopback with the program's own HTTP client.
// Times each POST until its reply is whole: right after the file changed (the
// service reads the folder, writes and encodes the document again) and with the
// document already built (the cut of kicked-off matches and the sending only).
//
//   upcoming_service_bench [rounds]    (default 7; the goal is 200 ms a reply)

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ContentFolder.h"
#include "KarvolaService.h"
#include "RequestLog.h"
#include "UpcomingFolder.h"
#include "common/Base64.h"
#include "web/CurlHttpClient.h"

namespace {

namespace fs = std::filesystem;
using Milliseconds = std::chrono::duration<double, std::milli>;

constexpr int kMatches = 5000;
constexpr int kBookmakers = 10;
constexpr double kGoalMilliseconds = 200.0;
constexpr const char* kBookmakerNames[kBookmakers] = {"B365", "BW", "IW", "PS", "WH", "VC", "LB", "SB", "GB", "BS"};
constexpr const char* kCountries[] = {"England", "Germany", "Spain", "Italy", "France"};

// Odds in hundredths as a text with a point, whatever the locale.
std::string OddsText(int hundredths) {
    char text[16];
    const auto whole = std::to_chars(text, text + sizeof text, hundredths / 100);
    *whole.ptr = '.';
    const int cents = hundredths % 100;
    whole.ptr[1] = static_cast<char>('0' + cents / 10);
    whole.ptr[2] = static_cast<char>('0' + cents % 10);
    return {text, whole.ptr + 3};
}

// A data source of matches from a day after `now`, ten minutes apart; `variant`
// makes each round's text another one.
std::string DataSource(std::time_t now, int variant) {
    std::string text;
    text.reserve(std::size_t{kMatches} * (100 + kBookmakers * 20));
    for (int match = 0; match < kMatches; ++match) {
        const char* country = kCountries[match % 5];
        text += std::to_string(now + 86'400 + match * 600) + "\r\nHome " + std::to_string(match) + "\r\nAway " +
                std::to_string(match + variant) + "\r\nDivision " + std::to_string(match % 3) + "\r\n" + country +
                "\r\n*\r\n*\r\n";
        for (int bookmaker = 0; bookmaker < kBookmakers; ++bookmaker) {
            const int level = 150 + (match * 37 + bookmaker * 11) % 300;
            text += std::string(kBookmakerNames[bookmaker]) + "\r\n" + OddsText(level) + "\r\n" +
                    OddsText(330 + bookmaker) + "\r\n" + OddsText(900 - level) + "\r\n";
        }
        text += "####\r\n";
    }
    return text;
}

// Written beside and renamed over, as an editor saves: the service never reads half a file.
void Replace(const fs::path& file, const std::string& text) {
    const fs::path temporary = file.string() + ".new";
    std::ofstream(temporary, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    fs::rename(temporary, file);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The matches in a reply's document; -1 when it has none.
long MatchesIn(const std::string& reply) {
    const auto data = reply.find("[DATA]");
    const auto end = reply.find("[/DATA]");
    if (reply.rfind("[MESSAGE]OK[/MESSAGE]", 0) != 0 || data == std::string::npos || end == std::string::npos) {
        return -1;
    }
    const std::string document = karvola::DecodeBase64Url(std::string_view(reply).substr(data + 6, end - data - 6));
    long matches = 0;
    for (auto at = document.find("<SPORT_EVENT>"); at != std::string::npos; at = document.find("<SPORT_EVENT>", at + 1))
        ++matches;
    return matches;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char pattern[] = "/tmp/karvola-upcoming-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path folder = pattern;
    fs::create_directory(folder / "upcoming");
    std::ofstream(folder / "keys.txt") << "bench\n";
    std::ofstream(folder / "request.rqt") << "request=download&uid=bench";

    std::FILE* nowhere = std::fopen("/dev/null", "w");
    karvola::service::RequestLog log(nowhere);
    const auto note = [&log](const std::string& text) { log.note(std::chrono::system_clock::now(), text); };
    karvola::service::ContentFolder content(folder, note);
    karvola::service::KarvolaService service(content, log);
    const int port = service.bind({.host = "127.0.0.1", .port = 0});
    std::thread serving([&service] { service.run(); });

    karvola::CurlHttpClient client;
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/download_upcomings_service.php";
    const std::string requestFile = (folder / "request.rqt").string();
    const auto post = [&] {
        const auto start = std::chrono::steady_clock::now();
        std::string reply = client.Post(url, requestFile, karvola::OutputFileMode::On);
        return std::make_pair(Milliseconds(std::chrono::steady_clock::now() - start).count(), std::move(reply));
    };

    std::vector<double> changed;
    std::vector<double> cached;
    std::vector<double> builds;
    std::size_t replyBytes = 0;
    std::size_t sourceBytes = 0;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        const std::string source = DataSource(std::time(nullptr), round);
        sourceBytes = source.size();
        Replace(folder / "upcoming" / "bench.txt", source);
        auto [milliseconds, reply] = post();
        changed.push_back(milliseconds);
        replyBytes = reply.size();
        complete = complete && MatchesIn(reply) == kMatches;
        for (int request = 0; request < 5; ++request) cached.push_back(post().first);

        // The reading and the writing of the document alone, without the exchange.
        const auto start = std::chrono::steady_clock::now();
        const karvola::service::UpcomingFolder upcoming(fs::canonical(folder), [](const std::string&) {});
        builds.push_back(Milliseconds(std::chrono::steady_clock::now() - start).count());
    }
    service.stop();
    serving.join();
    std::fclose(nowhere);
    fs::remove_all(folder);

    std::printf("upcoming_service_bench: %d matches x %d bookmakers, data source %.1f MB, reply %.1f MB, %d rounds\n",
                kMatches, kBookmakers, static_cast<double>(sourceBytes) / 1e6, static_cast<double>(replyBytes) / 1e6,
                rounds);
    std::printf(
        "  POST to whole reply after a change (read, build, encode, cut, send): median %.1f ms, worst %.1f ms\n",
        Median(changed), *std::max_element(changed.begin(), changed.end()));
    std::printf(
        "    the reading of the folder and the document's writing and encoding alone, on the bench's thread: "
        "median %.1f ms\n",
        Median(builds));
    std::printf("  POST to whole reply, document cached (cut, send): median %.1f ms, worst %.1f ms\n", Median(cached),
                *std::max_element(cached.begin(), cached.end()));
    const bool fast = *std::max_element(changed.begin(), changed.end()) < kGoalMilliseconds;
    std::printf("  goal: every reply under %.0f ms: %s\n", kGoalMilliseconds, fast ? "met" : "MISSED");
    if (!complete) std::printf("  a reply did not hold all %d matches\n", kMatches);
    return complete ? 0 : 1;
}
