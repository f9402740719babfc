#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ParallelWork.h"

namespace karvola {
namespace {

// How many times each item was handed out, counted from every worker.
std::vector<int> handOut(std::size_t count, std::size_t chunkSize, unsigned threads) {
    std::vector<std::atomic<int>> taken(count);
    std::atomic<bool> breakRequested{false};
    WorkShare share(count, chunkSize, breakRequested);
    RunOnThreads(threads, [&](unsigned) {
        WorkShare::Chunk chunk;
        while (share.take(chunk)) {
            for (std::size_t i = chunk.first; i < chunk.first + chunk.size; ++i) ++taken.at(i);
        }
    });
    std::vector<int> counts;
    for (const std::atomic<int>& times : taken) counts.push_back(times.load());
    return counts;
}

TEST(ParallelWork, EveryItemIsHandedOutOnceOnAnyNumberOfThreads) {
    struct Case {
        std::size_t count;
        std::size_t chunkSize;
        unsigned threads;
    };
    const Case cases[] = {{0, 1, 2}, {1, 1, 0}, {100, 1, 1}, {100, 7, 2}, {101, 7, 3}, {5, 7, 8}, {1000, 3, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE("count " + std::to_string(c.count) + ", chunks of " + std::to_string(c.chunkSize) + ", " +
                     std::to_string(c.threads) + " threads");
        EXPECT_EQ(handOut(c.count, c.chunkSize, c.threads), std::vector<int>(c.count, 1));
    }
}

TEST(ParallelWork, ABreakRequestIsTakenAndStopsEveryWorker) {
    std::atomic<bool> breakRequested{true};
    WorkShare share(100, 1, breakRequested);
    std::atomic<int> taken{0};
    RunOnThreads(3, [&](unsigned) {
        WorkShare::Chunk chunk;
        while (share.take(chunk)) ++taken;
    });
    EXPECT_EQ(taken, 0);
    EXPECT_TRUE(share.stopped());
    EXPECT_FALSE(breakRequested.load());
}

TEST(ParallelWork, ABreakWhileTheWorkersRunStopsThemAtTheirNextChunk) {
    std::atomic<bool> breakRequested{false};
    WorkShare share(100'000, 1, breakRequested);
    std::atomic<int> taken{0};
    RunOnThreads(3, [&](unsigned) {
        WorkShare::Chunk chunk;
        while (share.take(chunk)) {
            if (chunk.first == 10) breakRequested = true;
            ++taken;
        }
    });
    EXPECT_TRUE(share.stopped());
    EXPECT_FALSE(breakRequested.load());
    EXPECT_LT(taken, 100'000);
}

// Nothing escapes a worker's thread: the caller gets what one threw (the
// lowest worker's) once every worker has ended.
TEST(ParallelWork, AWorkersExceptionReachesTheCallerAfterAllHaveEnded) {
    struct Case {
        std::vector<unsigned> throwers;
        const char* caught;
    };
    const Case cases[] = {{{0}, "worker 0"}, {{2}, "worker 2"}, {{1, 2}, "worker 1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caught);
        std::atomic<int> ended{0};
        try {
            RunOnThreads(3, [&](unsigned worker) {
                if (std::find(c.throwers.begin(), c.throwers.end(), worker) != c.throwers.end()) {
                    throw std::runtime_error("worker " + std::to_string(worker));
                }
                ++ended;
            });
            ADD_FAILURE() << "nothing thrown";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.caught);
        }
        EXPECT_EQ(ended, 3 - static_cast<int>(c.throwers.size()));
    }
}

}  // namespace
}  // namespace karvola
