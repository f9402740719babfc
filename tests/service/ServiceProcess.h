#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace karvola::testing {

// The real karvola-service as a child process, told to listen on a port the
// system chooses; the port is read from the first line it prints.
class ServiceProcess final {
public:
    // Throws std::runtime_error when the program does not start listening.
    explicit ServiceProcess(const std::vector<std::string>& arguments,
                            const std::string& program = KARVOLA_SERVICE_PATH);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] pid_t pid() const { return m_pid; }
    [[nodiscard]] const std::string& firstLine() const { return m_firstLine; }
    [[nodiscard]] bool running();
    void signal(int number) const;
    // The exit status once it ended within the time; nothing if it did not end.
    std::optional<int> waitForExit(std::chrono::milliseconds within);

private:
    pid_t m_pid = -1;
    int m_output = -1;
    int m_port = 0;
    std::string m_firstLine;
    std::optional<int> m_status;
};

}  // namespace karvola::testing
