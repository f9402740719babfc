#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "RawHttp.h"
#include "ServiceProcess.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

const std::string kGetDirectory = "GET /referals.txt HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";

std::string SampleFile(const char* name) {
    return ReadFileContent(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / name);
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ServiceProcess, StartsOnTheSampleContentAndStopsCleanlyOnASignal) {
    const TemporaryDirectory folder;
    for (const int stopSignal : {SIGTERM, SIGINT}) {
        const auto log = folder.path() / ("log-" + std::to_string(stopSignal));
        ServiceProcess service({"--log", log.string()});
        EXPECT_NE(service.firstLine().find("share/karvola/service"), std::string::npos) << service.firstLine();
        EXPECT_EQ(BodyOf(Exchange(service.port(), kGetDirectory)), SampleFile("referals.txt"));

        service.signal(stopSignal);
        EXPECT_EQ(service.waitForExit(5s), 0);
        const std::string lines = ReadFileContent(log);
        EXPECT_NE(lines.find("\"GET /referals.txt\" 200"), std::string::npos) << lines;
        EXPECT_TRUE(lines.ends_with(" note: stopped\n")) << lines;
    }
}

TEST(ServiceProcess, RefusesToStartWithoutItsContentOrItsPort) {
    const TemporaryDirectory folder;
    EXPECT_THROW(ServiceProcess({"--content", (folder.path() / "missing").string()}), std::runtime_error);

    ServiceProcess first({"--log", (folder.path() / "log").string()});
    const std::string taken = "127.0.0.1:" + std::to_string(first.port());
    EXPECT_THROW(ServiceProcess({"--listen", taken}), std::runtime_error);
    EXPECT_TRUE(first.running());
}

// What a hostile or broken client may send: request lines that are not ones,
// paths that try to leave the routes, bytes that are no text, bodies far over
// the limit, connections cut in the middle of a request.
std::vector<std::string> MalformedRequests() {
    std::vector<std::string> requests = {
        "\r\n\r\n",
        "GET\r\n\r\n",
        "GET /referals.txt\r\n\r\n",
        "GET /referals.txt HTTP/9.9\r\n\r\n",
        "GET  /referals.txt  HTTP/1.1\r\n\r\n",
        "get /referals.txt HTTP/1.1\r\n\r\n",
        "BREW /referals.txt HTTP/1.1\r\n\r\n",
        "GET /referals.txt HTTP/1.1\n\n",
        "GET /referals.txt HTTP/1.1\r\nHost\r\n\r\n",
        "GET /referals.txt HTTP/1.1\r\n: empty name\r\n\r\n",
        "GET /referals.txt HTTP/1.1\r\nRange: bytes=99999999-1\r\n\r\n",
        "GET /referals.txt HTTP/1.1\r\nRange: bytes=-\r\n\r\n",
        "GET /referals.txt HTTP/1.1\r\nExpect: 100-continue\r\nContent-Length: 5\r\n\r\n",
        "GET /%\r\n\r\n",
        "GET /%zz HTTP/1.1\r\n\r\n",
        "GET /../../../../etc/passwd HTTP/1.1\r\n\r\n",
        "GET /..%2f..%2f..%2fetc%2fpasswd HTTP/1.1\r\n\r\n",
        "GET /%2e%2e/%2e%2e/keys.txt HTTP/1.1\r\n\r\n",
        "GET /referals.txt%00 HTTP/1.1\r\n\r\n",
        "GET /referals.txt?%00%ff HTTP/1.1\r\n\r\n",
        "GET \\..\\keys.txt HTTP/1.1\r\n\r\n",
        "POST /download_upcomings_service.php HTTP/1.1\r\nContent-Length: -1\r\n\r\n",
        "POST /download_upcomings_service.php HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 900000\r\n\r\nabc",
        "POST /download_upcomings_service.php HTTP/1.1\r\nContent-Length: 10\r\n\r\nshort",
        "POST /download_upcomings_service.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one request written over two lines
        "POST /download_upcomings_service.php HTTP/1.0\r\nContent-Type: multipart/form-data; boundary=x\r\n"
        "Content-Length: 20\r\n\r\n--x\r\n--x--\r\n\r\n\r\n",
        "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n",
        "GET /referals.txt HTTP/1.1\r\nX: " + std::string(20000, 'b') + "\r\n\r\n",
        "\0\0\0\0GET /referals.txt HTTP/1.1\r\n\r\n"s,
        // A TLS hello, whole: its NULs too.
        "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03"s,
    };
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(1, 3000);
    for (int i = 0; i < 1000; ++i) {
        std::string bytes(static_cast<std::size_t>(length(random)), '\0');
        for (char& c : bytes) c = static_cast<char>(byte(random));
        // Half of them start like a request, so that the damage comes later.
        requests.push_back(i % 2 == 0 ? "GET /referals.txt HTTP/1.1\r\n" + bytes : bytes);
    }
    return requests;
}

TEST(ServiceProcess, KeepsAnsweringThroughThousandsOfMalformedRequests) {
    const TemporaryDirectory folder;
    ServiceProcess service({"--log", (folder.path() / "log").string()});
    const int port = service.port();

    // Connections that began a request and then went quiet, held open through the storm.
    std::vector<std::unique_ptr<RawConnection>> halfOpen;
    for (int i = 0; i < 6; ++i) {
        halfOpen.push_back(std::make_unique<RawConnection>(port));
        halfOpen.back()->send("GET /referals.txt HTTP/1.1\r\nHost: ");
    }

    const std::vector<std::string> requests = MalformedRequests();
    std::atomic<int> sent = 0;
    std::vector<std::thread> clients;
    for (int client = 0; client < 4; ++client) {
        clients.emplace_back([&, client] {
            for (int round = 0; round < 3; ++round) {
                for (std::size_t i = static_cast<std::size_t>(client); i < requests.size(); i += 4) {
                    RawConnection connection(port);
                    connection.send(requests[i]);
                    // Every other one is cut off without waiting for an answer.
                    if ((i + static_cast<std::size_t>(round)) % 2 == 0) {
                        connection.finishSending();
                        connection.receiveAll(3s);
                    }
                    ++sent;
                }
                // Bodies far over the limit, announced and not.
                RawConnection huge(port);
                huge.send("POST /download_upcomings_service.php HTTP/1.1\r\nContent-Length: 4000000\r\n\r\n");
                huge.send(std::string(1 << 20, 'x'));
                RawConnection unannounced(port);
                unannounced.send("POST /download_upcomings_service.php HTTP/1.0\r\n\r\n" + std::string(1 << 20, 'y'));
                unannounced.finishSending();
                unannounced.receiveAll(3s);
                sent += 2;
            }
        });
    }
    for (auto& client : clients) client.join();
    EXPECT_GT(sent.load(), 3000);

    // Still there, and still right, with the quiet connections still open.
    ASSERT_TRUE(service.running());
    const std::string directory = Exchange(port, kGetDirectory);
    EXPECT_EQ(StatusOf(directory), 200);
    EXPECT_EQ(BodyOf(directory), SampleFile("referals.txt"));
    const std::string exchange = Exchange(port,
                                          "POST /download_upcomings_service.php HTTP/1.0\r\nContent-Length: 25\r\n\r\n"
                                          "request=download&uid=demo");
    EXPECT_NE(exchange.find("[MESSAGE]OK[/MESSAGE]"), std::string::npos) << exchange;

    halfOpen.clear();
    service.signal(SIGTERM);
    EXPECT_EQ(service.waitForExit(15s), 0);
    EXPECT_GT(LineCount(ReadFileContent(folder.path() / "log")), 1000U);
}

}  // namespace
}  // namespace karvola::testing
