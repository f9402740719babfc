#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackPeer.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"
#include "web/CurlHttpClient.h"

namespace karvola {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackPeer;
using testing::TemporaryDirectory;

// Small limits keep the failing cases quick; the peers answer at once otherwise.
constexpr HttpLimits kTestLimits{1'000ms, 1'000ms, 1'000};

std::string reply(std::string_view status, std::string_view body) {
    return "HTTP/1.0 " + std::string(status) +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           std::string(body);
}

// The request split into its head lines and its body.
struct Request {
    std::vector<std::string> head;
    std::string body;
};

Request split(const std::string& raw) {
    Request request;
    const std::size_t blank = raw.find("\r\n\r\n");
    EXPECT_NE(blank, std::string::npos) << raw;
    if (blank == std::string::npos) return request;
    for (std::size_t begin = 0; begin < blank;) {
        const std::size_t end = raw.find("\r\n", begin);
        request.head.push_back(raw.substr(begin, end - begin));
        begin = end + 2;
    }
    request.body = raw.substr(blank + 4);
    return request;
}

std::string messageOf(const std::function<void()>& exchange) {
    try {
        exchange();
    } catch (const TransportError& error) {
        return error.what();
    }
    ADD_FAILURE() << "no TransportError";
    return {};
}

struct GetCase {
    const char* label;
    std::string reply;
    std::string body;
};

// Whatever the status, the caller gets the body and judges it by its own framing.
TEST(CurlHttpClientTest, GetReturnsTheBodyWhateverTheStatus) {
    const std::string binary("a\0b\r\n\xff\x80", 7);
    const GetCase cases[] = {
        {"ok", reply("200 OK", "odds 1.5 2.5 3.5\r\n"), "odds 1.5 2.5 3.5\r\n"},
        {"binary", reply("200 OK", binary), binary},
        {"empty", reply("200 OK", ""), ""},
        {"not found", reply("404 Not Found", "<h1>Not Found</h1>"), "<h1>Not Found</h1>"},
        {"server error", reply("500 Internal Server Error", "oops"), "oops"},
        {"redirect, not followed",
         "HTTP/1.0 302 Found\r\nLocation: file:///etc/passwd\r\nContent-Length: 5\r\n\r\nmoved", "moved"},
        {"no Content-Length, ended by the close", "HTTP/1.0 200 OK\r\n\r\nto the end", "to the end"},
        {"HTTP/1.1, chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
         "abcde"},
    };
    for (const GetCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        LoopbackPeer peer(LoopbackPeer::Reply{testCase.reply});
        CurlHttpClient client(kTestLimits);
        EXPECT_EQ(client.Get(peer.url("/odds?day=1")), testCase.body);
    }
}

TEST(CurlHttpClientTest, GetSendsAPlainRequest) {
    LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "x")});
    CurlHttpClient client(kTestLimits);
    client.Get(peer.url("/odds?day=1"));
    const Request request = split(peer.received());
    const std::vector<std::string> expected = {"GET /odds?day=1 HTTP/1.1", "Host: " + peer.hostAndPort()};
    EXPECT_EQ(request.head, expected);
    EXPECT_EQ(request.body, "");
}

// One caller names its URL without a scheme: it is http.
TEST(CurlHttpClientTest, UrlWithoutSchemeIsHttp) {
    LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "advert")});
    CurlHttpClient client(kTestLimits);
    EXPECT_EQ(client.Get(peer.hostAndPort() + "/advert.txt"), "advert");
    EXPECT_EQ(peer.received().rfind("GET /advert.txt HTTP/1.1\r\n", 0), 0U);
}

struct PostCase {
    const char* label;
    std::string body;
};

// The body arrives byte for byte, from the text itself or from a file, in the
// one request shape the service reads.
TEST(CurlHttpClientTest, PostSendsTheBodyUnchanged) {
    std::string large;
    for (int i = 0; large.size() < 300'000; ++i) large += "match=" + std::to_string(i) + "&odds=1.5\r\n";
    const PostCase cases[] = {
        {"empty", ""},
        {"form", "user=a%20b&list=1,2,3"},
        {"binary", std::string("\0\r\n\x80\xff\r\n\r\nend\0", 13)},
        {"large", large},
    };
    const TemporaryDirectory folder;
    for (const PostCase& testCase : cases) {
        for (const OutputFileMode mode : {OutputFileMode::Off, OutputFileMode::On}) {
            SCOPED_TRACE(std::string(testCase.label) + (mode == OutputFileMode::On ? " from a file" : " as text"));
            const std::string file = (folder.path() / "request.bin").string();
            testing::WriteFileContent(file, testCase.body);
            LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "accepted")});
            CurlHttpClient client(kTestLimits);
            EXPECT_EQ(client.Post(peer.url("/upload"), mode == OutputFileMode::On ? file : testCase.body, mode),
                      "accepted");
            const Request request = split(peer.received());
            const std::vector<std::string> expected = {"POST /upload HTTP/1.0", "Host: " + peer.hostAndPort(),
                                                       "Content-type: application/x-www-form-urlencoded",
                                                       "Content-Length: " + std::to_string(testCase.body.size())};
            EXPECT_EQ(request.head, expected);
            EXPECT_TRUE(request.body == testCase.body) << request.body.size() << " bytes received";
        }
    }
}

TEST(CurlHttpClientTest, MissingRequestFileFailsBeforeConnecting) {
    const TemporaryDirectory folder;
    const std::string file = (folder.path() / "missing.txt").string();
    LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "accepted")});
    CurlHttpClient client(kTestLimits);
    const std::string message = messageOf([&] { client.Post(peer.url("/upload"), file, OutputFileMode::On); });
    EXPECT_NE(message.find(file), std::string::npos) << message;
    EXPECT_EQ(peer.received(), "");
}

struct FailureCase {
    const char* label;
    LoopbackPeer::Script script;
    std::string messagePart;
};

// A reply that breaks off is no body: the caller must not take a part for the whole.
TEST(CurlHttpClientTest, BrokenRepliesAreTransportErrors) {
    const FailureCase cases[] = {
        {"closed without a reply", LoopbackPeer::Reply{""}, "Empty reply"},
        {"cut short", LoopbackPeer::Reply{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc"}, "GET http://"},
        {"no HTTP", LoopbackPeer::Reply{"hello\n"}, "GET http://"},
    };
    for (const FailureCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        LoopbackPeer peer(testCase.script);
        CurlHttpClient client(kTestLimits);
        const std::string message = messageOf([&] { client.Get(peer.url("/odds")); });
        EXPECT_NE(message.find(testCase.messagePart), std::string::npos) << message;
    }
}

TEST(CurlHttpClientTest, RefusedConnectionFailsAtOnce) {
    const std::string url = "http://127.0.0.1:" + std::to_string(LoopbackPeer::closedPort()) + "/odds";
    CurlHttpClient client(HttpLimits{});  // the real time-outs: a refusal must not wait for them
    const auto start = std::chrono::steady_clock::now();
    const std::string message = messageOf([&] { client.Get(url); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(message.rfind("GET " + url + " failed: ", 0), 0U) << message;
}

TEST(CurlHttpClientTest, SilentHostFailsAfterTheTotalTimeout) {
    for (const bool post : {false, true}) {
        SCOPED_TRACE(post ? "POST" : "GET");
        std::optional<LoopbackPeer> peer(std::in_place, LoopbackPeer::Silence{});
        const std::string url = peer->url("/odds");
        const auto start = std::chrono::steady_clock::now();
        auto exchange = std::async(std::launch::async, [url, post] {
            CurlHttpClient client(HttpLimits{1'000ms, 1'000ms, 1'000});
            return messageOf([&] {
                if (post) {
                    client.Post(url, "a=1", OutputFileMode::Off);
                } else {
                    client.Get(url);
                }
            });
        });
        // A client without a time-out would wait for ever: closing the peer frees it.
        const bool finished = exchange.wait_for(2'500ms) == std::future_status::ready;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        peer.reset();
        const std::string message = exchange.get();
        ASSERT_TRUE(finished) << "still waiting after 2.5 s";
        EXPECT_GE(elapsed, 950ms);
        EXPECT_NE(message.find("timed out"), std::string::npos) << message;
    }
}

// A closing program cancels: the exchange in progress ends soon, later ones at once.
TEST(CurlHttpClientTest, CancelEndsTheExchangeInProgressAndRefusesLaterOnes) {
    LoopbackPeer peer(LoopbackPeer::Silence{});
    const std::string url = peer.url("/advert.txt");
    CurlHttpClient client(HttpLimits{10'000ms, 10'000ms, 1'000});
    const auto start = std::chrono::steady_clock::now();
    auto exchange = std::async(std::launch::async, [&] { return messageOf([&] { client.Get(url); }); });
    std::this_thread::sleep_for(200ms);
    client.cancel();
    ASSERT_EQ(exchange.wait_for(5s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_NE(exchange.get().find("cancelled"), std::string::npos);
    EXPECT_NE(messageOf([&] { client.Get(url); }).find("cancelled"), std::string::npos);
}

// A host that never completes the connection costs the connect time-out, not the whole exchange's.
TEST(CurlHttpClientTest, UnansweredConnectionFailsAfterTheConnectTimeout) {
    const testing::FullListener listener;
    CurlHttpClient client(HttpLimits{300ms, 10'000ms, 1'000});
    const auto start = std::chrono::steady_clock::now();
    const std::string url = "http://127.0.0.1:" + std::to_string(listener.port()) + "/odds";
    const std::string message = messageOf([&] { client.Get(url); });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 280ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_EQ(message.rfind("GET " + url + " failed: ", 0), 0U) << message;
}

struct SizeCase {
    const char* label;
    LoopbackPeer::Script script;
    bool fits;
};

// The limit holds whether the reply announces its size, lies about it or
// leaves it to the close.
TEST(CurlHttpClientTest, RepliesOverTheLimitAreRefused) {
    const SizeCase cases[] = {
        {"streamed, exactly the limit", LoopbackPeer::Stream{1'000}, true},
        {"streamed, one byte over", LoopbackPeer::Stream{1'001}, false},
        {"streamed, far over", LoopbackPeer::Stream{5'000'000}, false},
        {"announced, exactly the limit", LoopbackPeer::Reply{reply("200 OK", std::string(1'000, 'x'))}, true},
        {"announced, one byte over", LoopbackPeer::Reply{reply("200 OK", std::string(1'001, 'x'))}, false},
        // Only the announcement is over: waiting for the rest would run into the time-out.
        {"announced far over, little sent", LoopbackPeer::Announce{10'000'000'000}, false},
    };
    for (const SizeCase& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        LoopbackPeer peer(testCase.script);
        CurlHttpClient client(HttpLimits{5'000ms, 5'000ms, 1'000});
        const auto start = std::chrono::steady_clock::now();
        if (testCase.fits) {
            EXPECT_EQ(client.Get(peer.url("/big")).size(), 1'000U);
        } else {
            EXPECT_EQ(messageOf([&] { client.Get(peer.url("/big")); }),
                      "the reply from " + peer.hostAndPort() + " is larger than 1000 bytes");
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }
}

TEST(CurlHttpClientTest, DefaultLimitIsNamedInMegabytes) {
    EXPECT_EQ(CurlHttpClient().limits().maxReplyBytes, 64U * 1024 * 1024);
    LoopbackPeer peer(LoopbackPeer::Announce{65U * 1024 * 1024});
    CurlHttpClient client;
    EXPECT_EQ(messageOf([&] { client.Get(peer.url("/big")); }),
              "the reply from " + peer.hostAndPort() + " is larger than 64 MB");
}

// Only http and https: the service's URLs must never read local files or
// speak other protocols, not even after a scheme-less URL or a redirect.
TEST(CurlHttpClientTest, OtherProtocolsAreRefused) {
    LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "x")});
    CurlHttpClient client(kTestLimits);
    for (const std::string& url :
         {std::string("file:///etc/passwd"), std::string("FILE:///etc/passwd"), "ftp://" + peer.hostAndPort() + "/",
          "dict://" + peer.hostAndPort() + "/", "gopher://" + peer.hostAndPort() + "/"}) {
        SCOPED_TRACE(url);
        EXPECT_THROW(client.Get(url), TransportError);
        EXPECT_THROW(client.Post(url, "a=1", OutputFileMode::Off), TransportError);
    }
    EXPECT_EQ(peer.received(), "");
}

// Sets or clears an environment variable for the lifetime of the object.
class ScopedVariable final {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* previous = std::getenv(name)) m_previous = previous;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (m_previous) {
            setenv(m_name, m_previous->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

// The environment's proxy settings would send the service's traffic elsewhere.
TEST(CurlHttpClientTest, ProxyVariablesAreIgnored) {
    const std::string deadProxy = "http://127.0.0.1:" + std::to_string(LoopbackPeer::closedPort());
    const ScopedVariable httpProxy("http_proxy", deadProxy.c_str());
    const ScopedVariable allProxy("ALL_PROXY", deadProxy.c_str());
    const ScopedVariable noProxy("no_proxy", nullptr);
    const ScopedVariable noProxyUpper("NO_PROXY", nullptr);
    LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "direct")});
    CurlHttpClient client(kTestLimits);
    EXPECT_EQ(client.Get(peer.url("/odds")), "direct");
}

// The first exchanges may start on several worker threads at once.
TEST(CurlHttpClientTest, ExchangesRunOnSeveralThreadsAtOnce) {
    constexpr int kThreads = 4;
    std::vector<std::string> bodies(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&bodies, i] {
                LoopbackPeer peer(LoopbackPeer::Reply{reply("200 OK", "thread " + std::to_string(i))});
                CurlHttpClient client(kTestLimits);
                try {
                    bodies[static_cast<std::size_t>(i)] = client.Get(peer.url("/odds"));
                } catch (const TransportError& error) {
                    bodies[static_cast<std::size_t>(i)] = error.what();
                }
            });
        }
    }
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(bodies[static_cast<std::size_t>(i)], "thread " + std::to_string(i));
}

}  // namespace
}  // namespace karvola
