#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "RawHttp.h"
#include "RunningService.h"
#include "common/Base64.h"
#include "support/FileContent.h"
#include "web/CurlHttpClient.h"
#include "web/ServiceHost.h"

namespace karvola::testing {
namespace {

using namespace std::chrono_literals;

std::string SampleFile(const char* name) {
    return ReadFileContent(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / name);
}

// The program's own client against the running service, as each caller uses it.
class ServiceExchange : public ::testing::Test {
protected:
    std::string postRequestFile(const std::string& body) {
        const auto file = service.outside() / "f.rqt";
        WriteFileContent(file, body);
        return client.Post(host().url("/download_upcomings_service.php"), file.string(), OutputFileMode::On);
    }
    [[nodiscard]] ServiceHost host() const { return *ServiceHost::parse(service.host()); }

    RunningService service;
    CurlHttpClient client{{.connectTimeout = 2s, .totalTimeout = 5s}};
};

TEST_F(ServiceExchange, TheDirectoryAndTheAdvertArriveByteForByte) {
    EXPECT_EQ(client.Get(host().url("/referals.txt")), SampleFile("referals.txt"));
    // The advert's URL has no scheme.
    EXPECT_EQ(client.Get(host().name() + "/advert.txt"), SampleFile("advert.txt"));
    // An error page is a body too; the callers' framing rejects it.
    EXPECT_EQ(client.Get(host().url("/missing.txt")), "404 Not Found\n");
}

TEST_F(ServiceExchange, TheUpcomingsExchangeAnswersEachKindOfRequest) {
    EXPECT_EQ(postRequestFile("request=download&uid=demo"),
              "[MESSAGE]OK[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA]" +
                  EncodeBase64Url("<VERSION>100</VERSION>\r\n") + "[/DATA]");
    EXPECT_EQ(
        postRequestFile("request=download&uid=stranger").rfind("[MESSAGE]Error : Unknown identity key[/MESSAGE]", 0),
        0U);
    EXPECT_EQ(postRequestFile("request=download&key=demo").rfind("[MESSAGE]Error : Invalid request[/MESSAGE]", 0), 0U);
}

TEST_F(ServiceExchange, AReplyOverTheClientsCapFails) {
    WriteFileContent(service.content() / "referals.txt", std::string(2 << 20, 'r'));
    CurlHttpClient capped({.connectTimeout = 2s, .totalTimeout = 5s, .maxReplyBytes = 1 << 20});
    EXPECT_THROW(capped.Get(host().url("/referals.txt")), TransportError);
    EXPECT_EQ(client.Get(host().url("/referals.txt")).size(), std::size_t{2} << 20);
}

TEST_F(ServiceExchange, AServiceThatIsGoneOrNeverAnswersFailsInTime) {
    {
        // Its one thread, and no more, is held by a client that never finishes
        // its request, so the next connection is accepted and never answered.
        RunningService busy({.requestTime = 10s, .threads = 1, .mostThreads = 1});
        RawConnection holder(busy.port());
        holder.send("GET /referals.txt HTTP/1.1\r\n");
        CurlHttpClient impatient({.connectTimeout = 1s, .totalTimeout = 1s});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_THROW(impatient.Get("http://" + busy.host() + "/referals.txt"), TransportError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    }
    service.stop();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(client.Get(host().url("/referals.txt")), TransportError);
    EXPECT_THROW(postRequestFile("request=download&uid=demo"), TransportError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace karvola::testing
