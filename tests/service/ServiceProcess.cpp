#include "ServiceProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace karvola::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string ReadLine(int descriptor, std::chrono::milliseconds within) {
    std::string line;
    const auto deadline = Clock::now() + within;
    char c = 0;
    while (Clock::now() < deadline) {
        pollfd ready{descriptor, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        if (::read(descriptor, &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    return line;
}

}  // namespace

ServiceProcess::ServiceProcess(const std::vector<std::string>& arguments, const std::string& program) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::vector<std::string> texts{program, "--listen", "127.0.0.1:0"};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    m_output = output[0];
    if (spawned != 0) throw std::runtime_error("cannot start karvola-service");

    // "karvola-service: listening on 127.0.0.1:PORT, content from DIR"
    m_firstLine = ReadLine(m_output, std::chrono::seconds(10));
    const auto colon = m_firstLine.find("127.0.0.1:");
    if (colon != std::string::npos) m_port = std::atoi(m_firstLine.c_str() + colon + 10);
    if (m_port <= 0) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(5));
        throw std::runtime_error("karvola-service did not start: " + m_firstLine);
    }
}

ServiceProcess::~ServiceProcess() {
    if (running()) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
    ::close(m_output);
}

bool ServiceProcess::running() {
    return !m_status && !waitForExit(std::chrono::milliseconds(0));
}

void ServiceProcess::signal(int number) const {
    if (m_pid > 0) ::kill(m_pid, number);
}

std::optional<int> ServiceProcess::waitForExit(std::chrono::milliseconds within) {
    const auto deadline = Clock::now() + within;
    while (!m_status) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return m_status;
}

}  // namespace karvola::testing
