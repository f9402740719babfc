#include "CliRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "support/FileContent.h"

extern char** environ;

namespace karvola::testing {

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> environment;
    // The service host comes from the test alone, never from the machine's environment.
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).starts_with("KARVOLA_SERVICE_HOST=")) continue;
        environment.emplace_back(*variable);
    }
    const bool hostGiven = std::any_of(extra.begin(), extra.end(), [](const std::string& variable) {
        return variable.starts_with("KARVOLA_SERVICE_HOST=");
    });
    if (!hostGiven) environment.emplace_back(kUnreachableServiceHost);
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
}

ExecList::ExecList(std::vector<std::string> texts) : m_texts(std::move(texts)) {
    for (auto& text : m_texts) m_pointers.push_back(text.data());
    m_pointers.push_back(nullptr);
}

ExecList CliArguments(const std::vector<std::string>& arguments) {
    std::vector<std::string> texts{KARVOLA_CLI_PATH};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    return ExecList(std::move(texts));
}

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

    const ExecList argv = CliArguments(arguments);
    const ExecList envp(ChildEnvironment(environment));

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
