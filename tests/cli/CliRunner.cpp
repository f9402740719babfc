#include "CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "support/FileContent.h"

extern char** environ;

namespace karvola::testing {

namespace {}  // namespace

CliRun RunCli(const std::vector<std::string>& arguments, const std::string& input,
              const std::filesystem::path& workFolder, const std::vector<std::string>& environment) {
    const auto inFile = workFolder / "cli-stdin.txt";
    const auto outFile = workFolder / "cli-stdout.txt";
    const auto errFile = workFolder / "cli-stderr.txt";
    WriteFileContent(inFile, input);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<std::string> argumentTexts{KARVOLA_CLI_PATH};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argumentTexts) argv.push_back(text.data());
    argv.push_back(nullptr);

    std::vector<std::string> environmentTexts;
    // The service host comes from the test alone, never from the machine's environment.
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).starts_with("KARVOLA_SERVICE_HOST=")) continue;
        environmentTexts.emplace_back(*variable);
    }
    environmentTexts.insert(environmentTexts.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (auto& text : environmentTexts) envp.push_back(text.data());
    envp.push_back(nullptr);

    pid_t child = 0;
    const int spawned = posix_spawn(&child, KARVOLA_CLI_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start karvola-cli");

    int waitStatus = 0;
    waitpid(child, &waitStatus, 0);
    CliRun run;
    run.out = ReadFileContent(outFile);
    run.err = ReadFileContent(errFile);
    run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

}  // namespace karvola::testing
