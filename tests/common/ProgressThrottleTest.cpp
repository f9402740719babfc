#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "common/ProgressThrottle.h"

namespace karvola {
namespace {

TEST(ProgressThrottle, PassesOnOnlyWhatIsHigherThanEverythingBefore) {
    struct Case {
        std::vector<int> updates;
        std::vector<int> reported;
    };
    const Case cases[] = {
        {{0, 0, 1, 1, 1, 2}, {0, 1, 2}},
        {{5, 3, 4, 5, 6}, {5, 6}},
        {{-2, -1, 0}, {0}},  // below the start: nothing yet
        {{100, 50, 100}, {100}},
    };
    for (const Case& c : cases) {
        std::vector<int> reported;
        ProgressThrottle throttle([&](int percent) { reported.push_back(percent); });
        for (const int percent : c.updates) throttle.update(percent);
        EXPECT_EQ(reported, c.reported);
    }
}

// Workers race to report their own counts: whoever loses, the observer sees
// strictly increasing percentages that end with the last one, and never two
// calls at once, whether they come from update, advance or exclusive.
TEST(ProgressThrottle, FromSeveralThreadsOneCallAtATimeInIncreasingOrder) {
    std::vector<int> reported;
    std::atomic<bool> inside{false};
    std::atomic<int> overlaps{0};
    // The yield widens the window in which an overlap would show.
    const auto enter = [&] {
        if (inside.exchange(true)) ++overlaps;
        std::this_thread::yield();
    };
    const auto leave = [&] { inside = false; };
    ProgressThrottle throttle([&](int percent) {
        enter();
        reported.push_back(percent);
        leave();
    });

    constexpr int kSteps = 1000;
    std::atomic<int> done{0};
    int exclusiveCalls = 0;
    int advanced = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&, t] {
            for (int step = 0; step < kSteps; ++step) {
                // Finer than percentages, for more reports to race.
                const int percent = done.fetch_add(1) + 1;
                if (t == 0) {
                    throttle.update(percent);
                } else if (t == 1) {
                    throttle.advance([&] {
                        enter();
                        ++advanced;
                        leave();
                        return percent;
                    });
                } else {
                    throttle.update(percent);
                    throttle.exclusive([&] {
                        enter();
                        ++exclusiveCalls;
                        leave();
                    });
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(advanced, kSteps);
    EXPECT_EQ(exclusiveCalls, kSteps);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(std::adjacent_find(reported.begin(), reported.end(), std::greater_equal<>()), reported.end());
    EXPECT_EQ(reported.back(), 3 * kSteps);
}

}  // namespace
}  // namespace karvola
