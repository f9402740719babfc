#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "web/HttpClient.h"
#include "workstation/Workstation.h"

using namespace karvola;

namespace {

// Three categories of eight matches with every kind of result, one not played.
std::string SmallBase() {
    constexpr const char* kCategories[] = {"England, Premier League", "Germany, Bundesliga", "Spain, La Liga"};
    constexpr const char* kOdds[] = {"1.45", "2.10", "3.4", "5.75", "1.9", "2.62", "4.0", "1.01"};
    constexpr char kResults[] = {'1', '0', '2', '1', '2', '1', '0', '?'};
    std::string text;
    for (int c = 0; c < 3; ++c) {
        for (int m = 0; m < 8; ++m) {
            const std::string day = std::to_string(10 + m);
            text += day + "/0" + std::to_string(c + 1) + "/2021\r\n" + kCategories[c] + "\r\nHome " + day +
                    "\r\nAway " + std::to_string(c) + "\r\n" + kOdds[m] + "\r\n" + kOdds[(m + 3) % 8] + "\r\n" +
                    kOdds[(m + 5) % 8] + "\r\n" + kResults[(m + c) % 8] + "\r\n0\r\n";
        }
    }
    return text;
}

// The service is out of reach: the start-up uses no directory, upcoming reports
// the connection error.
class UnreachableService final : public HttpClient {
public:
    std::string Get(const std::string&) override { throw TransportError("Connection refused"); }
    std::string Post(const std::string&, const std::string&, OutputFileMode) override {
        throw TransportError("Connection refused");
    }
};

// opt runs on the optimizer's thread for as long as the user lets it, and quit
// ends the program: the only two commands left out.
bool IsLeftOut(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    std::string word(line.substr(first, line.find(' ', first) - first));
    std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
    return word == "opt" || word == "quit";
}

}  // namespace

// The whole terminal on a small base: each input line a command, as typed in the
// window or karvola-cli, with the research domain built by struct first.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string base = SmallBase();
    fuzz::CountingSink sink;
    fuzz::MemoryFileSystem files;
    files.put("home/small.txt", base);
    const fuzz::FixedClock clock;
    UnreachableService http;
    Workstation workstation(WorkstationSettings{.applicationDirectory = "home", .decimalSeparator = ',', .service = {}},
                            sink, files, clock, http);
    workstation.dataBase().open("home/small.txt");
    CommandDispatcher& dispatcher = workstation.terminal().dispatcher();
    dispatcher.DispatchCommand("struct *");

    std::string_view text = fuzz::TextOf(data, size);
    for (int line = 0; line < 16 && !text.empty(); ++line) {
        const std::size_t end = text.find('\n');
        const std::string_view command = text.substr(0, end);
        if (!IsLeftOut(command)) dispatcher.DispatchCommand(command);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return 0;
}
