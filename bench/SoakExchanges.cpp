#include "SoakExchanges.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <initializer_list>
#include <thread>

#include "RawHttp.h"
#include "UpcomingsReply.h"

namespace karvola::soak {
namespace {

using testing::BodyOf;
using testing::RawConnection;
using testing::StatusOf;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The service's own limits (ServiceLimits' defaults): a request must be whole
// within 10 s of its first byte, and a kept connection may idle 5 s.
constexpr auto kRequestTime = 10s;
constexpr auto kIdleTime = 5s;
// Beyond its limit, the time the service may take to notice and close.
constexpr auto kSlack = 3s;
// A valid request answered later than this counts as not answered.
constexpr auto kAnswerTime = 10s;
// No connection, however broken its request, may stay open longer.
constexpr auto kEndTime = kRequestTime + kSlack;

constexpr std::string_view kUpcomingsPath = "/download_upcomings_service.php";
constexpr std::string_view kKeysMarker = "Identity keys";

std::string KeyBody(std::string_view key) {
    return "request=download&uid=" + std::string(key);
}

// A GET as libcurl sends it for the program: HTTP/1.1, its Host line and no Accept line.
std::string ProgramGet(std::string_view path, int port) {
    return "GET " + std::string(path) + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
}

// The upcoming-matches POST as the program sends it: HTTP/1.0, a form body.
std::string ProgramPost(std::string_view body, int port, std::string_view version = "HTTP/1.0") {
    return "POST " + std::string(kUpcomingsPath) + " " + std::string(version) +
           "\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nContent-type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + std::string(body);
}

struct ValidRequest {
    std::string request;
    const std::string* reply = nullptr;
};

ValidRequest ProgramRequest(const SoakTarget& target, int which, std::string_view postVersion = "HTTP/1.0") {
    const ExpectedReplies& expected = *target.expected;
    switch (which % 3) {
        case 0:
            return {ProgramGet("/referals.txt", target.port), &expected.directory};
        case 1:
            return {ProgramGet("/advert.txt", target.port), &expected.advert};
        default:
            return {ProgramPost(KeyBody(expected.knownKey), target.port, postVersion), &expected.upcoming};
    }
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string ResultOf(std::string_view response) {
    const int status = StatusOf(response);
    return status > 0 ? std::to_string(status) : "no answer";
}

// Empty when the response has the status and, when one is given, exactly that body.
std::string Mismatch(std::string_view response, int status, const std::string* body) {
    const int got = StatusOf(response);
    if (got == 0) return response.empty() ? "no answer" : "an answer that is no HTTP response";
    if (got != status) return "answered " + std::to_string(got) + " instead of " + std::to_string(status);
    if (body && BodyOf(response) != *body) {
        return "answered " + std::to_string(got) + " with a body of " + std::to_string(BodyOf(response).size()) +
               " bytes that is not the expected one of " + std::to_string(body->size());
    }
    return {};
}

std::string RandomBytes(Random& random, std::size_t size) {
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    return bytes;
}

std::string RandomWord(Random& random, std::size_t size) {
    constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-";
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    std::string word(size, 'a');
    for (char& c : word) c = kLetters[letter(random)];
    return word;
}

std::size_t Between(Random& random, std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random);
}

template <typename Item, std::size_t N>
const Item& PickFrom(Random& random, const std::array<Item, N>& items) {
    return items[Between(random, 0, N - 1)];
}

// A request of the program's and its response: right only with status 200 and exactly the reply.
Outcome ProgramAnswer(std::string_view response, const std::string& reply) {
    Outcome outcome{.result = ResultOf(response), .failure = Mismatch(response, 200, &reply), .validRequests = 1};
    outcome.validAnswered = outcome.failure.empty() ? 1 : 0;
    return outcome;
}

// Sends the bytes, ends the sending half unless told to keep it open, and
// reads until the service closes the connection. The failure says so when it
// kept the connection open past kEndTime.
struct Ended {
    std::string response;
    std::string failure;
};
Ended SendAndAwaitEnd(int port, std::string_view bytes, bool finishSending = true) {
    RawConnection connection(port);
    const auto start = Clock::now();
    connection.send(bytes);
    if (finishSending) connection.finishSending();
    Ended ended{connection.receiveAll(kEndTime), {}};
    if (Clock::now() - start >= kEndTime) ended.failure = "the connection was still open after 13 s";
    return ended;
}

// A refusal of a request the service cannot serve: it ends the connection in
// time, answers with one of the statuses, and never with a content file.
Outcome Refusal(int port, std::string_view bytes, std::initializer_list<int> statuses, bool finishSending = true,
                bool mayCloseSilently = false) {
    Ended ended = SendAndAwaitEnd(port, bytes, finishSending);
    Outcome outcome{.result = ResultOf(ended.response), .failure = std::move(ended.failure)};
    const int status = StatusOf(ended.response);
    const bool allowed = std::find(statuses.begin(), statuses.end(), status) != statuses.end() ||
                         (mayCloseSilently && ended.response.empty());
    if (outcome.failure.empty() && !allowed) outcome.failure = "answered " + outcome.result;
    if (ended.response.find(kKeysMarker) != std::string::npos) outcome.failure = "answered with the identity keys";
    return outcome;
}

// An exchange reply that refuses the request with exactly this status and text.
Outcome ExchangeRefusal(int port, std::string_view body, int status, std::string_view errorText) {
    Ended ended = SendAndAwaitEnd(port, ProgramPost(body, port));
    const std::string reply = service::UpcomingsRefusal(errorText);
    Outcome outcome{.result = ResultOf(ended.response), .failure = std::move(ended.failure)};
    if (outcome.failure.empty()) outcome.failure = Mismatch(ended.response, status, &reply);
    return outcome;
}

// ---- What the program sends ----

Outcome OneProgramRequest(const SoakTarget& target, int which) {
    const ValidRequest valid = ProgramRequest(target, which);
    const auto start = Clock::now();
    RawConnection connection(target.port);
    connection.send(valid.request);
    const std::string response = connection.receiveResponse(kAnswerTime);
    Outcome outcome = ProgramAnswer(response, *valid.reply);
    if (outcome.failure.empty()) outcome.validLatencies.push_back(MillisecondsSince(start));
    return outcome;
}

Outcome Directory(const SoakTarget& target, Random&) {
    return OneProgramRequest(target, 0);
}

Outcome Advert(const SoakTarget& target, Random&) {
    return OneProgramRequest(target, 1);
}

Outcome Upcoming(const SoakTarget& target, Random&) {
    return OneProgramRequest(target, 2);
}

// Several of the program's requests, one after the other on one connection.
Outcome KeptConnection(const SoakTarget& target, Random& random) {
    RawConnection connection(target.port);
    const std::size_t count = Between(random, 2, 12);
    Outcome outcome{.result = "200"};
    for (std::size_t i = 0; i < count && outcome.failure.empty(); ++i) {
        const ValidRequest valid = ProgramRequest(target, static_cast<int>(Between(random, 0, 2)), "HTTP/1.1");
        const auto start = Clock::now();
        connection.send(valid.request);
        const std::string response = connection.receiveResponse(kAnswerTime);
        const Outcome answer = ProgramAnswer(response, *valid.reply);
        ++outcome.validRequests;
        outcome.validAnswered += answer.validAnswered;
        if (!answer.failure.empty()) {
            outcome.result = answer.result;
            outcome.failure =
                "request " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + answer.failure;
        } else {
            outcome.validLatencies.push_back(MillisecondsSince(start));
        }
    }
    return outcome;
}

// ---- What a broken or hostile client sends ----

Outcome UnknownPath(const SoakTarget& target, Random& random) {
    static constexpr std::array<std::string_view, 9> kPaths = {"/",
                                                               "/keys.txt",
                                                               "/index.html",
                                                               "/referals.txt/",
                                                               "/../keys.txt",
                                                               "/%2e%2e/keys.txt",
                                                               "/advert.txt/..",
                                                               "/referals.txt%00",
                                                               "//keys.txt"};
    const std::string path = Between(random, 0, 2) == 0 ? "/" + RandomWord(random, Between(random, 1, 40))
                                                        : std::string(PickFrom(random, kPaths));
    return Refusal(target.port, ProgramGet(path, target.port), {400, 404});
}

// The routes with methods they do not take; the service has no other answer for them than a refusal.
Outcome WrongMethod(const SoakTarget& target, Random& random) {
    static constexpr std::array<std::string_view, 9> kLines = {
        "PUT /referals.txt",   "DELETE /advert.txt",    "PATCH /download_upcomings_service.php",
        "OPTIONS /advert.txt", "BREW /referals.txt",    "GET /download_upcomings_service.php",
        "TRACE /advert.txt",   "CONNECT /referals.txt", "HEAD /download_upcomings_service.php"};
    if (Between(random, 0, 3) == 0) {
        // The exchange's body sent to the directory's route.
        const std::string post = ProgramPost(KeyBody(target.expected->knownKey), target.port);
        return Refusal(target.port, "POST /referals.txt" + post.substr(post.find(' ', 5)), {404});
    }
    return Refusal(target.port, std::string(PickFrom(random, kLines)) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n",
                   {400, 404, 405});
}

std::string OtherKey(std::string key) {
    const auto lower = std::find_if(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    if (lower == key.end()) return key + "0";
    *lower = static_cast<char>(*lower - 'a' + 'A');
    return key;
}

Outcome InvalidKey(const SoakTarget& target, Random& random) {
    static constexpr std::array<std::string_view, 6> kMalformed = {
        "request=download&uid=",         "request=download&uid=de mo", "request=download&uid=demo&x=1",
        "request=download&uid=demo\r\n", "uid=demo&request=download",  "request=download"};
    switch (Between(random, 0, 3)) {
        case 0:
            return ExchangeRefusal(target.port, PickFrom(random, kMalformed), 400, service::kInvalidRequest);
        case 1:
            // Keys are told apart by case, and a longer one is another key.
            return ExchangeRefusal(target.port, KeyBody(OtherKey(target.expected->knownKey)), 403,
                                   service::kUnknownIdentityKey);
        default:
            return ExchangeRefusal(target.port, KeyBody(RandomWord(random, Between(random, 1, 2000))), 403,
                                   service::kUnknownIdentityKey);
    }
}

Outcome GarbageBody(const SoakTarget& target, Random& random) {
    return ExchangeRefusal(target.port, RandomBytes(random, Between(random, 1, 8000)), 400, service::kInvalidRequest);
}

// One of the program's requests cut anywhere, its sending half then ended: the
// service answers 400 or closes without a word, and at once.
Outcome TruncatedRequest(const SoakTarget& target, Random& random) {
    const std::string request = ProgramRequest(target, static_cast<int>(Between(random, 0, 2))).request;
    return Refusal(target.port, request.substr(0, Between(random, 1, request.size() - 1)), {400}, true, true);
}

// The client goes away in the middle of its request, or of the service's reply.
Outcome ClosedMidRequest(const SoakTarget& target, Random& random) {
    const std::string request = ProgramRequest(target, static_cast<int>(Between(random, 0, 2))).request;
    RawConnection connection(target.port);
    connection.send(std::string_view(request).substr(0, Between(random, 1, request.size() - 1)));
    return {.result = "closed by the client"};
}

Outcome ClosedMidReply(const SoakTarget& target, Random&) {
    RawConnection connection(target.port);
    connection.send(ProgramPost(KeyBody(target.expected->knownKey), target.port));
    std::this_thread::sleep_for(1ms);
    return {.result = "closed by the client"};
}

// Header blocks over the 64 KB a request may have: up to 1 MB the service reads
// them and answers 413; beyond, it stops reading and answers 400. The sending
// half stays open: the service must not wait for more.
Outcome HugeHeaders(const SoakTarget& target, Random& random) {
    const bool beyondReading = Between(random, 0, 7) == 0;
    const std::size_t size = beyondReading ? Between(random, 1100, 2000) << 10 : Between(random, 66, 900) << 10;
    std::string request = "GET /referals.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (int line = 0; request.size() < size; ++line) {
        request += "X-Filler-" + std::to_string(line) + ": " + std::string(7000, 'a') + "\r\n";
    }
    request += "\r\n";
    return Refusal(target.port, request, {beyondReading ? 400 : 413}, false);
}

Outcome BinaryJunk(const SoakTarget& target, Random& random) {
    std::string junk = RandomBytes(random, Between(random, 1, 4096));
    junk[0] = static_cast<char>(Between(random, 0, 31));  // no method begins so
    return Refusal(target.port, junk, {400}, true, true);
}

Outcome OversizedBody(const SoakTarget& target, Random& random) {
    const std::string head =
        "POST " + std::string(kUpcomingsPath) +
        " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(Between(random, 65'537, 1'000'000'000)) +
        "\r\n\r\n";
    return Refusal(target.port, head + RandomBytes(random, 1000), {413}, false);
}

Outcome ChunkedBody(const SoakTarget& target, Random&) {
    return Refusal(target.port,
                   "POST " + std::string(kUpcomingsPath) +
                       " HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nrequest=download",
                   {411}, false);
}

Outcome EmptyConnection(const SoakTarget& target, Random&) {
    return Refusal(target.port, "", {}, true, true);
}

// ---- Slow on purpose ----

// One of the program's requests in a few pieces over a second or two: well within
// the service's time for a request, so it must be answered as any other.
Outcome SlowButWhole(const SoakTarget& target, Random& random) {
    const ValidRequest valid = ProgramRequest(target, static_cast<int>(Between(random, 0, 2)));
    RawConnection connection(target.port);
    const std::size_t pieces = Between(random, 3, 10);
    const std::size_t piece = valid.request.size() / pieces + 1;
    for (std::size_t at = 0; at < valid.request.size(); at += piece) {
        if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(Between(random, 50, 300)));
        connection.send(std::string_view(valid.request).substr(at, piece));
    }
    const std::string response = connection.receiveResponse(kAnswerTime);
    return ProgramAnswer(response, *valid.reply);
}

// Whether the service closes the connection within `limit` of `start`, with the
// time it took in the result.
Outcome ClosedWithin(RawConnection& connection, Clock::time_point start, Clock::duration limit, std::string_view what) {
    const bool closed = connection.closedByPeer(
        std::chrono::duration_cast<std::chrono::milliseconds>(start + limit - Clock::now()) + 1ms);
    const double seconds = MillisecondsSince(start) / 1000.0;
    if (!closed) {
        return {.result = "kept open",
                .failure = std::string(what) + " was still open after " + std::to_string(seconds) + " s"};
    }
    return {.result = "closed after " + std::to_string(static_cast<int>(seconds)) + " s"};
}

// A request that never ends, a byte at a time: the service must drop it once its
// time for a request is up.
Outcome Trickle(const SoakTarget& target, Random& random) {
    RawConnection connection(target.port);
    const auto start = Clock::now();
    connection.send("GET /referals.txt HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Trickle: ");
    // Sent until the service stops taking bytes or the time is up; then it must close.
    while (Clock::now() - start < kEndTime && connection.send(RandomWord(random, 1)) &&
           !connection.closedByPeer(250ms)) {
    }
    return ClosedWithin(connection, start, kEndTime, "a request trickling in a byte at a time");
}

// A request that stops half-way and stays silent.
Outcome Stalled(const SoakTarget& target, Random& random) {
    const std::string request = ProgramRequest(target, static_cast<int>(Between(random, 0, 2))).request;
    RawConnection connection(target.port);
    const auto start = Clock::now();
    connection.send(std::string_view(request).substr(0, Between(random, 0, request.size() - 1)));
    return ClosedWithin(connection, start, kEndTime, "a stalled request");
}

// An answered request on a kept connection, then silence: dropped once the connection idled its time.
Outcome IdleAfterAnswer(const SoakTarget& target, Random& random) {
    const ValidRequest valid = ProgramRequest(target, static_cast<int>(Between(random, 0, 2)), "HTTP/1.1");
    RawConnection connection(target.port);
    connection.send(valid.request);
    const std::string response = connection.receiveResponse(kAnswerTime);
    Outcome answered = ProgramAnswer(response, *valid.reply);
    if (!answered.failure.empty()) return answered;
    Outcome idle = ClosedWithin(connection, Clock::now(), kIdleTime + kSlack, "an idle kept connection");
    idle.validRequests = idle.validAnswered = 1;
    return idle;
}

constexpr std::array kQuick{
    ExchangeKind{"GET /referals.txt", true, 8, Directory},
    ExchangeKind{"GET /advert.txt", true, 6, Advert},
    ExchangeKind{"POST upcoming, known key", true, 8, Upcoming},
    ExchangeKind{"kept connection, 2-12 requests", true, 4, KeptConnection},
    ExchangeKind{"unknown path", false, 2, UnknownPath},
    ExchangeKind{"wrong method", false, 2, WrongMethod},
    ExchangeKind{"invalid key", false, 2, InvalidKey},
    ExchangeKind{"garbage body", false, 2, GarbageBody},
    ExchangeKind{"truncated request", false, 2, TruncatedRequest},
    ExchangeKind{"closed mid-request", false, 2, ClosedMidRequest},
    ExchangeKind{"closed mid-reply", false, 1, ClosedMidReply},
    ExchangeKind{"huge header block", false, 1, HugeHeaders},
    ExchangeKind{"binary junk", false, 2, BinaryJunk},
    ExchangeKind{"oversized body", false, 1, OversizedBody},
    ExchangeKind{"chunked body", false, 1, ChunkedBody},
    ExchangeKind{"empty connection", false, 1, EmptyConnection},
};

constexpr std::array kSlow{
    ExchangeKind{"slow but whole request", true, 3, SlowButWhole},
    ExchangeKind{"trickling request", false, 1, Trickle},
    ExchangeKind{"stalled request", false, 1, Stalled},
    ExchangeKind{"idle kept connection", false, 1, IdleAfterAnswer},
};

}  // namespace

std::span<const ExchangeKind> QuickExchanges() {
    return kQuick;
}

std::span<const ExchangeKind> SlowExchanges() {
    return kSlow;
}

std::string CheckProgramExchanges(const SoakTarget& target) {
    std::string failures;
    for (int which = 0; which < 3; ++which) {
        const Outcome outcome = OneProgramRequest(target, which);
        if (!outcome.failure.empty()) {
            const std::string request = ProgramRequest(target, which).request;
            failures += request.substr(0, request.find(" HTTP/")) + ": " + outcome.failure + "\n";
        }
    }
    return failures;
}

}  // namespace karvola::soak
