#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "support/FixedClock.h"
#include "support/RecordingSink.h"
#include "support/SyntheticMatches.h"
#include "support/TemporaryDirectory.h"
#include "validation/ValidationCommands.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;

TEST(ValidationRequests, WalkForwardWordsMakeARequestOrTheUsage) {
    struct Case {
        const char* words;
        std::optional<WalkForwardRequest> request;
    };
    const Case cases[] = {
        {"10", WalkForwardRequest{10, std::nullopt, std::nullopt}},
        {" 4  500 ", WalkForwardRequest{4, 500, std::nullopt}},
        {"4 all 0,5", WalkForwardRequest{4, std::nullopt, 0.5}},
        {"4 300 0.25", WalkForwardRequest{4, 300, 0.25}},
        {"", std::nullopt},
        {"0", std::nullopt},
        {"-3", std::nullopt},
        {"4x", std::nullopt},
        {"4 0", std::nullopt},
        {"4 all wide", std::nullopt},
        {"4 all 1 2", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        const auto parsed = ParseWalkForwardRequest(c.words);
        if (!c.request) {
            EXPECT_TRUE(std::holds_alternative<std::string>(parsed));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<WalkForwardRequest>(parsed));
        const auto& request = std::get<WalkForwardRequest>(parsed);
        EXPECT_EQ(request.folds, c.request->folds);
        EXPECT_EQ(request.train, c.request->train);
        EXPECT_EQ(request.span, c.request->span);
    }
}

TEST(ValidationRequests, SignificanceWordsMakeARequestOrTheUsage) {
    struct Case {
        const char* words;
        std::optional<SignificanceRequest> request;
    };
    const Case cases[] = {
        {"200", SignificanceRequest{200, 1, std::nullopt}},
        {"50 18446744073709551615", SignificanceRequest{50, 18446744073709551615ULL, std::nullopt}},
        {"50 0 0,3", SignificanceRequest{50, 0, 0.3}},
        {"100000", SignificanceRequest{100000, 1, std::nullopt}},
        {"100001", std::nullopt},
        {"0", std::nullopt},
        {"50 -1", std::nullopt},
        {"50 1.5", std::nullopt},
        {"50 1 wide", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words);
        const auto parsed = ParseSignificanceRequest(c.words);
        if (!c.request) {
            EXPECT_TRUE(std::holds_alternative<std::string>(parsed));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<SignificanceRequest>(parsed));
        const auto& request = std::get<SignificanceRequest>(parsed);
        EXPECT_EQ(request.replicas, c.request->replicas);
        EXPECT_EQ(request.seed, c.request->seed);
        EXPECT_EQ(request.span, c.request->span);
    }
}

// The validations over a research domain of 600 synthetic matches, their
// worker held until the test lets it go.
class ValidationCommandsTest : public ::testing::Test {
protected:
    ValidationCommandsTest() {
        researchDomain.applyCategoryDomain(testing::SyntheticMatches(2).domain(600));
        optimizer.setThreadStarter([this](std::function<void()> work) {
            ++started;
            pending = std::move(work);
            return std::thread([] {});
        });
    }

    void runPending() {
        optimizer.wait();
        if (pending) std::exchange(pending, {})();
    }

    testing::TemporaryDirectory folder;
    LocalFileSystem files;
    testing::FixedClock clock{1'262'304'000};
    MatchConfig config{folder.path(), files, clock};
    ChangeObserver nobody;
    testing::RecordingSink sink;
    ResearchDomainModel researchDomain{nobody};
    OptimizationFlags flags;
    Optimizer optimizer{flags, sink, nobody};
    StrategyCommands strategy{sink, researchDomain, config, optimizer, nobody, StopRequest::Never(), '.'};
    ValidationCommands validation{sink, researchDomain, strategy, optimizer, flags};
    int started = 0;
    std::function<void()> pending;
};

TEST_F(ValidationCommandsTest, ARunHoldsTheBusyFlagAndRefusesASecondOne) {
    validation.startWalkForward({3, std::nullopt, std::nullopt});
    ASSERT_EQ(started, 1);
    EXPECT_TRUE(flags.IsOptimizing());

    validation.startWalkForward({2, std::nullopt, std::nullopt});
    EXPECT_EQ(started, 1);
    EXPECT_EQ(sink.lines(), Lines{"Acces Denied : Optimization in progress."});

    runPending();
    EXPECT_FALSE(flags.IsOptimizing());
    const Lines lines = sink.lines();
    ASSERT_GT(lines.size(), 3U);
    EXPECT_EQ(lines[2], "Walk-forward validation of opt over LO 1 .. HI 600 (BND% 12, span 1):");
}

TEST_F(ValidationCommandsTest, ABreakEndsTheRunWithItsOwnLine) {
    validation.startWalkForward({3, 100, 0.4});
    flags.BreakRequested = true;
    runPending();
    EXPECT_EQ(sink.lines(), Lines{"Walk-forward validation terminated."});
    EXPECT_FALSE(flags.IsOptimizing());
    EXPECT_FALSE(flags.BreakRequested);
}

TEST_F(ValidationCommandsTest, ARequestThatDoesNotFitTheDomainStartsNothing) {
    researchDomain.setCompartment(1, 3);
    validation.startWalkForward({3, std::nullopt, std::nullopt});
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(flags.IsOptimizing());
    EXPECT_EQ(sink.lines(), Lines{"Error : 3 folds need at least 4 matches in LO..HI, which holds 3"});
}

}  // namespace
}  // namespace karvola
