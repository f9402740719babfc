// The web service under load: the real karvola-service on a loopback port, its
// memory at rest, then GET /referals.txt from two client threads for a few
// seconds, once with a new connection per request (keep-alive off) and once
// with one connection per thread (keep-alive on), and its memory afterwards.
//
//   service_bench [seconds per run]    (default 3)

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Service {
    pid_t pid = -1;
    int port = 0;
};

Service StartService() {
    int output[2];
    if (pipe(output) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::string program = KARVOLA_SERVICE_PATH;
    std::string listen = "--listen", address = "127.0.0.1:0", log = "--log", logFile = "/dev/null";
    char* argv[] = {program.data(), listen.data(), address.data(), log.data(), logFile.data(), nullptr};
    Service service;
    if (posix_spawn(&service.pid, program.c_str(), &actions, nullptr, argv, environ) != 0) std::exit(1);
    close(output[1]);
    std::string line;
    char c = 0;
    while (read(output[0], &c, 1) == 1 && c != '\n') line += c;
    close(output[0]);
    const auto at = line.find("127.0.0.1:");
    if (at == std::string::npos) {
        std::fprintf(stderr, "karvola-service did not start: %s\n", line.c_str());
        std::exit(1);
    }
    service.port = std::atoi(line.c_str() + at + 10);
    return service;
}

long ResidentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
    }
    return -1;
}

int Connect(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    const int yes = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    return socket;
}

// Reads one response whole: the header block, then Content-Length bytes.
bool ReadResponse(int socket, std::string& buffer) {
    std::array<char, 16384> chunk{};
    std::size_t headerEnd = std::string::npos;
    std::size_t total = 0;
    for (;;) {
        if (headerEnd == std::string::npos) {
            headerEnd = buffer.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                const auto length = buffer.find("Content-Length: ");
                if (length == std::string::npos || buffer.compare(0, 12, "HTTP/1.1 200") != 0) return false;
                total = headerEnd + 4 + std::strtoul(buffer.c_str() + length + 16, nullptr, 10);
            }
        }
        if (headerEnd != std::string::npos && buffer.size() >= total) {
            buffer.erase(0, total);
            return true;
        }
        const ssize_t count = ::recv(socket, chunk.data(), chunk.size(), 0);
        if (count <= 0) return false;
        buffer.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

double RequestsPerSecond(int port, bool keepAlive, std::chrono::seconds duration) {
    const std::string request = std::string("GET /referals.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n") +
                                (keepAlive ? "" : "Connection: close\r\n") + "\r\n";
    std::atomic<long> answered = 0;
    std::atomic<long> failed = 0;
    const auto end = Clock::now() + duration;
    std::vector<std::thread> clients;
    for (int client = 0; client < 2; ++client) {
        clients.emplace_back([&] {
            std::string buffer;
            int socket = -1;
            while (Clock::now() < end) {
                if (socket < 0) {
                    socket = Connect(port);
                    buffer.clear();
                    if (socket < 0) {
                        ++failed;
                        continue;
                    }
                }
                if (::send(socket, request.data(), request.size(), MSG_NOSIGNAL) !=
                        static_cast<ssize_t>(request.size()) ||
                    !ReadResponse(socket, buffer)) {
                    // The service ends a kept connection after its hundredth request.
                    ::close(socket);
                    socket = -1;
                    if (!keepAlive) ++failed;
                    continue;
                }
                ++answered;
                if (!keepAlive) {
                    ::close(socket);
                    socket = -1;
                }
            }
            if (socket >= 0) ::close(socket);
        });
    }
    for (auto& client : clients) client.join();
    if (failed > 0) std::printf("  (%ld failed)\n", failed.load());
    return static_cast<double>(answered) / static_cast<double>(duration.count());
}

}  // namespace

int main(int argc, char** argv) {
    const std::chrono::seconds duration(argc > 1 ? std::atoi(argv[1]) : 3);
    const Service service = StartService();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::printf("karvola-service at rest: %ld KB resident\n", ResidentKilobytes(service.pid));
    std::printf("GET /referals.txt, 2 client threads, %lld s each:\n", static_cast<long long>(duration.count()));
    std::printf("  keep-alive off: %.0f requests/s\n", RequestsPerSecond(service.port, false, duration));
    std::printf("  keep-alive on:  %.0f requests/s\n", RequestsPerSecond(service.port, true, duration));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::printf("karvola-service after the load: %ld KB resident\n", ResidentKilobytes(service.pid));
    kill(service.pid, SIGTERM);
    int status = 0;
    waitpid(service.pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
