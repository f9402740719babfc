#include "CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
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
    // The service host comes from the test alone, never from the machine's
    // environment; a variable the test names replaces the machine's (the first
    // of two equal names is the one a program reads).
    const auto named = [&extra](std::string_view variable) {
        const std::string_view name = variable.substr(0, variable.find('=') + 1);
        return std::any_of(extra.begin(), extra.end(),
                           [name](const std::string& given) { return given.starts_with(name); });
    };
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).starts_with("KARVOLA_SERVICE_HOST=") || named(*variable)) continue;
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

namespace {

CliRun SpawnCli(const std::filesystem::path& outFile, const std::vector<std::string>& arguments,
                const std::string& input, const std::filesystem::path& workFolder,
                const std::vector<std::string>& environment) {
    const auto inFile = workFolder / "cli-stdin.txt";
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
    if (std::filesystem::is_regular_file(outFile)) run.out = ReadFileContent(outFile);
    run.err = ReadFileContent(errFile);
    run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    return run;
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& arguments, const std::string& input,
              const std::filesystem::path& workFolder, const std::vector<std::string>& environment) {
    return SpawnCli(workFolder / "cli-stdout.txt", arguments, input, workFolder, environment);
}

CliRun RunCliWritingTo(const std::filesystem::path& output, const std::vector<std::string>& arguments,
                       const std::string& input, const std::filesystem::path& workFolder,
                       const std::vector<std::string>& environment) {
    return SpawnCli(output, arguments, input, workFolder, environment);
}

CliRun RunCliOnTerminal(const std::vector<std::string>& arguments, const std::vector<std::string>& environment) {
    const ExecList argv = CliArguments(arguments);
    const ExecList envp(ChildEnvironment(environment));
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, &size);
    if (child < 0) throw std::runtime_error("cannot open a pseudo-terminal");
    if (child == 0) {
        execve(KARVOLA_CLI_PATH, argv.data(), envp.data());
        _exit(127);
    }
    CliRun run;
    char block[4096];
    // Read until the child's side closes (EIO), so that it never blocks on a full terminal.
    for (;;) {
        const ssize_t count = read(terminal, block, sizeof block);
        if (count > 0) {
            run.out.append(block, static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }
    close(terminal);
    int waitStatus = 0;
    waitpid(child, &waitStatus, 0);
    run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    return run;
}

CliRun RunCliWithFileSizeLimit(const std::vector<std::string>& arguments, const std::string& input,
                               const std::filesystem::path& workFolder, std::uintmax_t bytes,
                               const std::vector<std::string>& environment) {
    const auto inFile = workFolder / "cli-stdin.txt";
    WriteFileContent(inFile, input);
    const ExecList argv = CliArguments(arguments);
    const ExecList envp(ChildEnvironment(environment));
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("cannot make pipes");

    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot fork");
    if (child == 0) {
        const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
        const int in = open(inFile.c_str(), O_RDONLY);
        if (in < 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
        std::signal(SIGXFSZ, SIG_DFL);
        dup2(in, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        execve(KARVOLA_CLI_PATH, argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);

    // Both pipes are read as the child writes them, so that neither fills up.
    CliRun run;
    pollfd readers[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    int openPipes = 2;
    while (openPipes > 0) {
        if (poll(readers, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (readers[i].fd < 0 || readers[i].revents == 0) continue;
            char block[4096];
            const ssize_t count = read(readers[i].fd, block, sizeof block);
            if (count > 0) {
                texts[i]->append(block, static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                close(readers[i].fd);
                readers[i].fd = -1;
                --openPipes;
            }
        }
    }
    int waitStatus = 0;
    waitpid(child, &waitStatus, 0);
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
