#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "RawHttp.h"
#include "RunningService.h"
#include "UpcomingsReply.h"
#include "common/Base64.h"
#include "common/Version.h"
#include "support/FileContent.h"

namespace karvola::testing {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

std::string Get(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

std::string PostExchange(const std::string& body, const std::string& target = "/download_upcomings_service.php") {
    return "POST " + target + " HTTP/1.0\r\nContent-type: application/x-www-form-urlencoded\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string ContentFile(const char* name) {
    return ReadFileContent(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / name);
}

// The status text of an exchange reply, between its tags.
std::string StatusIn(const std::string& reply) {
    const auto open = reply.find("[MESSAGE]");
    const auto close = reply.find("[/MESSAGE]");
    if (open == std::string::npos || close == std::string::npos) return "(no status)";
    return reply.substr(open + 9, close - open - 9);
}

TEST(ServiceRoutes, AnswersItsThreeRoutesAndNothingElse) {
    const RunningService service;
    struct Case {
        std::string request;
        int status;
        std::string body;  // checked when not empty
    };
    const Case cases[] = {
        {Get("/referals.txt"), 200, ContentFile("referals.txt")},
        {Get("/advert.txt"), 200, ContentFile("advert.txt")},
        {Get("/referals%2Etxt"), 200, ContentFile("referals.txt")},
        {Get("/referalsXtxt"), 404, "404 Not Found\n"},
        {Get("/keys.txt"), 404, ""},
        {Get("/"), 404, ""},
        {Get("/referals.txt/"), 404, ""},
        {Get("/download_upcomings_service.php"), 404, ""},
        {PostExchange("request=download&uid=demo", "/referals.txt"), 404, ""},
        {"DELETE /referals.txt HTTP/1.1\r\n\r\n", 404, ""},
    };
    for (const auto& c : cases) {
        const std::string response = Exchange(service.port(), c.request);
        EXPECT_EQ(StatusOf(response), c.status) << c.request;
        // Found or not, an answer names the service and its version.
        EXPECT_NE(response.find("\r\nServer: karvola-service/" + std::string(karvola::kVersion) + "\r\n"),
                  std::string::npos)
            << response;
        if (!c.body.empty()) {
            EXPECT_EQ(BodyOf(response), c.body) << c.request;
        }
    }
}

TEST(ServiceRoutes, NoPathReachesAFileBesideTheRoutes) {
    const RunningService service;
    WriteFileContent(service.outside() / "secret.txt", "outside the content folder");
    const std::string targets[] = {
        "/../secret.txt",  "/%2e%2e/secret.txt",          "/..%2Fsecret.txt",   "/referals.txt/../keys.txt",
        "//keys.txt",      "/content/../secret.txt",      "/%2E%2E%2Fkeys.txt", "/advert.txt%00.txt",
        "/./keys.txt",     "/referals.txt?file=keys.txt", "keys.txt",           "http://127.0.0.1/keys.txt",
        "/..\\secret.txt", "/%252e%252e/secret.txt",
    };
    for (const auto& target : targets) {
        const std::string response = Exchange(service.port(), Get(target));
        const int status = StatusOf(response);
        EXPECT_TRUE(status == 200 || status == 400 || status == 404) << target << ": " << status;
        EXPECT_EQ(response.find("outside the content folder"), std::string::npos) << target;
        EXPECT_EQ(response.find("Identity keys"), std::string::npos) << target;
    }
}

TEST(ServiceRoutes, TheExchangeAcceptsOnlyAKnownKeyInAWellFormedBody) {
    const RunningService service;
    struct Case {
        std::string body;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"request=download&uid=demo", 200, "OK"},
        {"request=download&uid=nobody", 403, "Error : Unknown identity key"},
        {"request=download&uid=DEMO", 403, "Error : Unknown identity key"},
        {"request=download&uid=", 400, "Error : Invalid request"},
        {"", 400, "Error : Invalid request"},
        {"request=download", 400, "Error : Invalid request"},
        {"request=upload&uid=demo", 400, "Error : Invalid request"},
        {"uid=demo&request=download", 400, "Error : Invalid request"},
        {"request=download&uid=demo&more=1", 400, "Error : Invalid request"},
        {"request=download&uid=demo\r\n", 400, "Error : Invalid request"},
        {"request=download&uid=de mo", 400, "Error : Invalid request"},
        {"request=download&uid=demo\0x"s, 400, "Error : Invalid request"},
    };
    for (const auto& c : cases) {
        const std::string response = Exchange(service.port(), PostExchange(c.body));
        EXPECT_EQ(StatusOf(response), c.status) << c.body;
        EXPECT_EQ(StatusIn(BodyOf(response)), c.message) << c.body;
    }
}

TEST(ServiceRoutes, AKnownKeyGetsTheDocumentWithItsVersionAlone) {
    const RunningService service;
    const std::string reply = BodyOf(Exchange(service.port(), PostExchange("request=download&uid=demo")));
    const auto data = reply.find("[DATA]");
    ASSERT_NE(data, std::string::npos) << reply;
    ASSERT_NE(reply.find("[ADDITIONAL_INFO]"), std::string::npos);
    ASSERT_LT(reply.find("[/ADDITIONAL_INFO]"), data);
    const auto end = reply.find("[/DATA]", data);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(DecodeBase64Url(reply.substr(data + 6, end - data - 6)), "<VERSION>100</VERSION>\r\n");
}

TEST(ServiceRoutes, RefusesOversizedAndUnboundedRequestsAndClosesTheirConnection) {
    const RunningService service;
    std::string manyHeaders = "GET /referals.txt HTTP/1.1\r\n";
    for (int i = 0; i < 10; ++i)
        manyHeaders += "X-Filler-" + std::to_string(i) + ": " + std::string(7000, 'a') + "\r\n";
    manyHeaders += "\r\n";
    struct Case {
        const char* what;
        std::string request;
        int status;
    };
    const Case cases[] = {
        {"a body over 64 KB, announced",
         "POST /download_upcomings_service.php HTTP/1.1\r\nContent-Length: 65537\r\n\r\nrequest=", 413},
        {"a length beyond any size", "POST /referals.txt HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n",
         413},
        {"a length that is no number", "POST /referals.txt HTTP/1.1\r\nContent-Length: 12abc\r\n\r\n", 413},
        {"a header block over 64 KB", manyHeaders, 413},
        {"a body of unknown length",
         "POST /download_upcomings_service.php HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n10000\r\n", 411},
        {"a request line over 8 KB", Get("/" + std::string(9000, 'x')), 414},
        {"a header line over 8 KB", "GET /advert.txt HTTP/1.1\r\nX-Long: " + std::string(9000, 'b') + "\r\n\r\n", 400},
    };
    for (const auto& c : cases) {
        RawConnection connection(service.port());
        connection.send(c.request);
        // The sending half stays open: the service must not wait for the body.
        const std::string response = connection.receiveAll(3s);
        EXPECT_EQ(StatusOf(response), c.status) << c.what;
        EXPECT_TRUE(connection.closedByPeer(3s)) << c.what;
    }
    EXPECT_EQ(StatusOf(Exchange(service.port(), Get("/advert.txt"))), 200);
}

TEST(ServiceRoutes, DropsClientsThatAreSilentOrTooSlow) {
    const RunningService service({.requestTime = 400ms, .idleTime = 200ms});
    {
        RawConnection silent(service.port());
        EXPECT_TRUE(silent.closedByPeer(3s));
    }
    {
        // Bytes keep coming, but the request is not whole in time.
        RawConnection trickling(service.port());
        const std::string request = Get("/referals.txt");
        bool closed = false;
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < request.size() && !closed; ++i) {
            if (!trickling.send(request.substr(i, 1))) break;
            closed = trickling.closedByPeer(100ms);
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    }
    {
        // Keep-alive: the connection ends once it idles after an answer.
        RawConnection idle(service.port());
        idle.send("GET /advert.txt HTTP/1.1\r\nHost: x\r\n\r\n");
        const std::string response = idle.receiveAll(1500ms);
        EXPECT_EQ(StatusOf(response), 200);
        EXPECT_NE(response.find("Historical results"), std::string::npos);
    }
    EXPECT_EQ(StatusOf(Exchange(service.port(), Get("/referals.txt"))), 200);
}

TEST(ServiceRoutes, ClientsThatStallDoNotKeepTheOthersWaiting) {
    // More clients stalled half-way through their requests than threads kept
    // ready: each holds a thread until its request time is up.
    const RunningService service({.requestTime = 3s, .threads = 2});
    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (int i = 0; i < 6; ++i) {
        stalled.push_back(std::make_unique<RawConnection>(service.port()));
        stalled.back()->send("GET /referals.txt HTTP/1.1\r\nHost: ");
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string response = Exchange(service.port(), Get("/advert.txt"));
    EXPECT_EQ(StatusOf(response), 200);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    for (const auto& connection : stalled) EXPECT_TRUE(connection->closedByPeer(5s));
}

TEST(ServiceRoutes, AStoppedServiceRefusesConnections) {
    for (int round = 0; round < 20; ++round) {
        RunningService service;
        if (round % 2 == 0) Exchange(service.port(), Get("/advert.txt"));  // stopped while it serves
        service.stop();
        EXPECT_THROW(RawConnection{service.port()}, std::runtime_error) << round;
    }
}

TEST(ServiceRoutes, ReadsTheContentFolderAgainWhenAFileChanges) {
    const RunningService service;
    const auto& content = service.content();

    WriteFileContent(content / "referals.txt", "[ID]XX[/ID][LINK]empty[/LINK]\r\n");
    EXPECT_EQ(BodyOf(Exchange(service.port(), Get("/referals.txt"))), "[ID]XX[/ID][LINK]empty[/LINK]\r\n");

    std::filesystem::remove(content / "advert.txt");
    EXPECT_EQ(StatusOf(Exchange(service.port(), Get("/advert.txt"))), 404);
    WriteFileContent(content / "advert.txt", "");
    const std::string emptyAdvert = Exchange(service.port(), Get("/advert.txt"));
    EXPECT_EQ(StatusOf(emptyAdvert), 200);
    EXPECT_EQ(BodyOf(emptyAdvert), "");

    WriteFileContent(content / "keys.txt", "# keys\r\n  alpha  \r\n\r\nbeta\n");
    EXPECT_EQ(StatusIn(BodyOf(Exchange(service.port(), PostExchange("request=download&uid=beta")))), "OK");
    EXPECT_EQ(StatusIn(BodyOf(Exchange(service.port(), PostExchange("request=download&uid=alpha")))), "OK");
    EXPECT_EQ(StatusIn(BodyOf(Exchange(service.port(), PostExchange("request=download&uid=demo")))),
              "Error : Unknown identity key");
}

TEST(ServiceRoutes, AContentFileThatLeadsOutsideTheFolderIsNotServed) {
    const RunningService service;
    WriteFileContent(service.outside() / "secret.txt", "outside the content folder");
    std::filesystem::remove(service.content() / "referals.txt");
    std::filesystem::create_symlink(service.outside() / "secret.txt", service.content() / "referals.txt");

    const std::string response = Exchange(service.port(), Get("/referals.txt"));
    EXPECT_EQ(response.find("outside the content folder"), std::string::npos);
    EXPECT_NE(service.log().find("referals.txt is left out: it leads outside the content folder"), std::string::npos);
}

TEST(ServiceRoutes, LogsOneLinePerRequestWithTheClientsBytesMadeSafe) {
    RunningService service;
    Exchange(service.port(), Get("/referals.txt"));
    Exchange(service.port(), Get("/no\x01where\xFF"));
    Exchange(service.port(), "\x16\x03\x01 binary\r\n\r\n");
    service.stop();

    const std::string log = service.log();
    EXPECT_NE(log.find(" 127.0.0.1 \"GET /referals.txt\" 200 " + std::to_string(ContentFile("referals.txt").size())),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\"GET /no\\x01where\\xFF\" 404"), std::string::npos) << log;
    EXPECT_NE(log.find(" \"\\x16\\x03\\x01 binary\" 400 "), std::string::npos) << log;
    int requestLines = 0;
    for (std::size_t at = 0; (at = log.find('"', at)) != std::string::npos; at = log.find('\n', at)) ++requestLines;
    EXPECT_EQ(requestLines, 3) << log;
    for (const char c : log) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
}

}  // namespace
}  // namespace karvola::testing
