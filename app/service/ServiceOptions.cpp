#include "ServiceOptions.h"

#include <system_error>

#include "options/CommandLine.h"

namespace karvola::service {

std::variant<ServiceOptions, options::EarlyExit> ParseServiceOptions(const std::vector<std::string>& arguments) {
    options::CommandLine commandLine("karvola-service",
                                     "The Karvola web service: the bookmaker directory, the adverts and the "
                                     "upcoming matches, answered from a content folder.",
                                     options::CommandLine::Shared::HelpAndVersion);
    ServiceOptions parsed;
    std::string listen;
    commandLine.addOption("--content", parsed.content,
                          "answer from the content folder DIR (default: the sample content)", "DIR",
                          options::NonEmptyPath);
    commandLine.addOption(
        "--listen", listen, "listen on ADDR:PORT, port 0 for one the system chooses (default: 127.0.0.1:8470)",
        "ADDR:PORT", [](const std::string& text) {
            return ListenAddress::parse(text) ? std::string()
                                              : std::string("needs ADDR:PORT, such as 127.0.0.1:8470 or [::1]:0");
        });
    commandLine.addOption("--log", parsed.log, "append the request log to FILE (default: standard output)", "FILE",
                          options::NonEmptyPath);
    commandLine.addFlag("--shift-to-now", parsed.shiftToNow,
                        "move the upcoming matches' kick-offs by one amount, the earliest to a day after the start, "
                        "keeping their spacing (past matches then serve as upcoming ones)");
    commandLine.setFooter(
        "The content folder holds referals.txt (the bookmaker directory), advert.txt, keys.txt (the identity keys, "
        "one a line) and upcoming/, whose data sources (*.txt) and football-data.co.uk files (*.csv) give the "
        "upcoming matches; the service reads a file again when it changes.");
    if (auto early = commandLine.parse(arguments)) return *early;
    if (!listen.empty()) parsed.listen = *ListenAddress::parse(listen);
    return parsed;
}

std::optional<std::filesystem::path> FindSampleContent(const std::filesystem::path& program) {
    const std::filesystem::path folder = program.parent_path();
    for (const auto& candidate : {folder / "../share/karvola/service", folder / "../../share/karvola/service"}) {
        std::error_code error;
        if (std::filesystem::is_directory(candidate, error)) return candidate.lexically_normal();
    }
    return std::nullopt;
}

}  // namespace karvola::service
