#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/RecordingSink.h"
#include "terminal/Terminal.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kIncorrect = "Error : Incorrect command or arguments";

// Counts the clearings of the history.
class HistoryClearings final : public ChangeObserver {
public:
    void historyCleared() override { ++count; }
    int count = 0;
};

class DispatcherTest : public ::testing::Test {
protected:
    // Attaches an action that only records what the dispatcher handed over.
    void probe(const std::string& word) {
        terminal.dispatcher().attach(word, [this, word](const CommandArguments& arguments) {
            calledWord = word;
            received = CommandArguments{};
            received->texts = arguments.texts;
            received->rest = arguments.rest;
            received->vector = arguments.vector;
            received->fraction = arguments.fraction;
            received->number = arguments.number;
        });
    }

    Lines dispatch(const std::string& line) {
        terminal.dispatcher().DispatchCommand(line);
        return sink.lines();
    }

    testing::RecordingSink sink;
    HistoryClearings history;
    Terminal terminal{sink, history, '.'};
    std::optional<std::string> calledWord;
    std::optional<CommandArguments> received;
};

TEST_F(DispatcherTest, EqualsLinesEvaluateInUpperCaseAndWriteZeroAfterAnError) {
    struct Case {
        const char* line;
        Lines output;
    };
    const Case cases[] = {
        {"=2+3*4", {"14"}},
        {"  =2+3*4\t", {"14"}},
        {"=sin(0)", {"0"}},
        {"=1 + 1", {"2"}},
        {"=1/0", {"Error : Domain error", "0"}},
        {"=(1", {"Error : Unmatched brackets", "0"}},
        {"=", {kIncorrect}},
    };
    for (const auto& c : cases) {
        testing::RecordingSink localSink;
        ChangeObserver nobody;
        Terminal local(localSink, nobody, '.');
        local.dispatcher().DispatchCommand(c.line);
        EXPECT_EQ(localSink.lines(), c.output) << c.line;
    }
}

TEST_F(DispatcherTest, GeneralFormOfEqualsUsesTheUsersSeparator) {
    testing::RecordingSink localSink;
    ChangeObserver nobody;
    Terminal local(localSink, nobody, ',');
    local.dispatcher().DispatchCommand("=1/4");
    local.dispatcher().DispatchCommand("=1,5*2");
    EXPECT_EQ(localSink.lines(), (Lines{"0,25", "3"}));
}

// Words and token counts that do not fit end in the same error, whether the
// command exists or not.
TEST_F(DispatcherTest, TokenCountsAndWordsThatDoNotFitAreIncorrect) {
    const char* lines[] = {
        "RESULT [1.5 3 1.2]",  // command words are lower case
        "result [1.5 3 1.2",   // five tokens
        "sim [1.5 3 1.2]",     // six tokens
        "result [1.5 2 + 1 1.2]",
        "result\t[1.5 3 1.2]",  // a tab is a token of its own
        "echo",
        "rem",
        "opt",
        "struct",
        "drange 01/01/2009",
        "cr_res2 2",
        "cr_res3 2 3",
        "testb 10 2 0",
        "testb 10 2 0 0 0",
        "quit now",
        "sch 1",
        "hello",
        "{pe_result",
        "=",
    };
    for (const char* line : lines) {
        testing::RecordingSink localSink;
        ChangeObserver nobody;
        Terminal local(localSink, nobody, '.');
        for (const char* word : {"result", "sim", "upcoming", "opt", "struct", "drange", "sch", "sbp", "quit"}) {
            local.dispatcher().attach(word, [this](const CommandArguments&) { calledWord = "called"; });
        }
        local.dispatcher().DispatchCommand(line);
        EXPECT_EQ(localSink.lines(), Lines{kIncorrect}) << line;
    }
    EXPECT_FALSE(calledWord.has_value());
}

TEST_F(DispatcherTest, MisplacedBracketsGiveTheCommandsOwnSyntaxError) {
    probe("result");
    probe("sim");
    probe("upcoming");
    EXPECT_EQ(dispatch("result {1.5 3 1.2}"),
              Lines{R"(Error : "result" command requires 3-dimension wvector as argument)"});
    sink.clearScreen();
    EXPECT_EQ(dispatch("upcoming [1.5 3 1.2 ["),
              Lines{R"(Error : "upcoming" command requires 3-dimension wvector as argument)"});
    sink.clearScreen();
    EXPECT_EQ(dispatch("sim 1.5 3 1.2 0.05 x y"),
              (Lines{R"(Error : "sim" command requires 3-dimension wvector as argument and Kelly fraction)",
                     R"(        syntax is: "sim [kmin kMax CRZ] fraction" )"}));
    EXPECT_FALSE(calledWord.has_value());
}

// The first faulty bound is the one reported, whatever the others hold.
TEST_F(DispatcherTest, WvectorBoundsAreEvaluatedFromLeftToRight) {
    probe("result");
    probe("sim");
    EXPECT_EQ(dispatch("result [1/0 x 1]"), Lines{"Error : Domain error"});
    sink.clearScreen();
    EXPECT_EQ(dispatch("result [1 (2 1/0]"), Lines{"Error : Unmatched brackets"});
    sink.clearScreen();
    EXPECT_EQ(dispatch("sim [x 1/0 1] 1/0"), Lines{"Error : Error in expression"});
    EXPECT_FALSE(calledWord.has_value());
}

TEST_F(DispatcherTest, WvectorIsEvaluatedAsTypedAndWidenedByTheOffsets) {
    probe("result");
    probe("sim");
    EXPECT_TRUE(dispatch("result[1.5 2+1 SIN(0)+1.2]").empty());
    ASSERT_EQ(calledWord, "result");
    EXPECT_EQ(received->vector.kmin, static_cast<float>(1.5L - static_cast<long double>(0.0001f)));
    EXPECT_EQ(received->vector.kMax, static_cast<float>(3.0L + static_cast<long double>(0.0001f)));
    EXPECT_EQ(received->vector.CRZ, static_cast<float>(1.2L - static_cast<long double>(0.0001f)));

    EXPECT_TRUE(dispatch("sim [ 1,5 3 1.2 ] 0.05").empty());
    ASSERT_EQ(calledWord, "sim");
    EXPECT_EQ(received->fraction, 0.05f);

    // Arguments keep their case: a lower-case function name is not known.
    EXPECT_EQ(dispatch("result [sin(0)+1 3 1.2]"), Lines{"Error : Error in expression"});
}

TEST_F(DispatcherTest, RestOfLineCommandsGetTheRestInUpperCaseWithItsBlanks) {
    probe("pe_result");
    probe("rsr");
    dispatch("pe_result  odds1<2?bet1 ");
    EXPECT_EQ(calledWord, "pe_result");
    EXPECT_EQ(received->rest, "  ODDS1<2?BET1");
    dispatch("rsr");
    EXPECT_EQ(calledWord, "rsr");
    EXPECT_EQ(received->rest, "");
}

TEST_F(DispatcherTest, PeSimTakesTheFractionGroupOutOfTheExpression) {
    probe("pe_sim");
    struct Case {
        const char* line;
        Lines output;
    };
    const char* missing =
        R"(Error : fraction of bankroll required for betting simulation -> insert {x} after "pe_sim", where "x" is fraction e.g. 0.05)";
    const char* empty =
        R"(Error : fraction of bankroll required for betting simulation -> insert value in {} after "pe_sim" e.g. 0.05)";
    const Case errors[] = {
        {"pe_sim 0.05 ODDS1>2", {missing}},
        {"pe_sim {0.05 ODDS1>2", {missing}},
        {"pe_sim }0.05{ ODDS1>2", {missing}},
        {"pe_sim{} ODDS1>2", {empty}},
        {"pe_sim{x} ODDS1>2?BET1", {"Error : Error in expression"}},
    };
    for (const auto& c : errors) {
        sink.clearScreen();
        EXPECT_EQ(dispatch(c.line), c.output) << c.line;
    }
    EXPECT_FALSE(calledWord.has_value());

    sink.clearScreen();
    EXPECT_TRUE(dispatch("pe_sim{0,05} odds1<2?bet1").empty());
    ASSERT_EQ(calledWord, "pe_sim");
    EXPECT_EQ(received->fraction, 0.05f);
    EXPECT_EQ(received->rest, " ODDS1<2?BET1");
}

TEST_F(DispatcherTest, CommandsNotBuiltYetEndAsIncorrectAfterTheirSyntax) {
    EXPECT_EQ(dispatch("result [1.5 3 1.2]"), Lines{kIncorrect});
    sink.clearScreen();
    EXPECT_EQ(dispatch("result {1.5 3 1.2}"),
              Lines{R"(Error : "result" command requires 3-dimension wvector as argument)"});
}

TEST_F(DispatcherTest, BusyGuardsRefuseWhileOptimizing) {
    for (const char* word : {"rsr", "drange", "opt", "struct", "result", "pe_result"}) probe(word);
    terminal.flags().OptimizationRunning = true;
    const std::pair<const char*, const char*> cases[] = {
        {"rsr ODDS1>2", "Acces Denied : Optimization in progress."},
        {"drange 01/01/2009 01/01/2010", "Acces Denied : Optimization in progress."},
        {"opt 0.5", "Acces Denied : Optimization in progress."},
        {"opt x", "Acces Denied : Optimization in progress."},
        {"struct *", "Acces Denied : Optimization engine is bussy."},
    };
    for (const auto& [line, refusal] : cases) {
        sink.clearScreen();
        EXPECT_EQ(dispatch(line), Lines{refusal}) << line;
    }
    EXPECT_FALSE(calledWord.has_value());

    sink.clearScreen();
    EXPECT_TRUE(dispatch("result [1.5 3 1.2]").empty());
    EXPECT_EQ(calledWord, "result");
}

TEST_F(DispatcherTest, BreakActsOnlyWhileOptimizing) {
    EXPECT_TRUE(dispatch("break").empty());
    EXPECT_FALSE(terminal.flags().BreakRequested);
    terminal.flags().OptimizationRunning = true;
    EXPECT_EQ(dispatch("break"), Lines{"wait..."});
    EXPECT_TRUE(terminal.flags().BreakRequested);
}

TEST_F(DispatcherTest, ErrorsAreWrittenWithTheCommandsPrefix) {
    const auto fail = [](const CommandArguments&) { throw std::logic_error("boom"); };
    const auto failIo = [](const CommandArguments&) { throw std::runtime_error("disk full"); };
    terminal.dispatcher().attach("testb", fail);
    terminal.dispatcher().attach("drange", fail);
    terminal.dispatcher().attach("cr_res2", fail);
    terminal.dispatcher().attach("struct", failIo);
    probe("opt");
    dispatch("testb 1 2 3 4");
    dispatch("drange a b");
    dispatch("cr_res2 1 2");
    dispatch("struct *");
    dispatch("opt 1/0");
    EXPECT_EQ(sink.lines(),
              (Lines{"Error: boom", "boom", "Error : boom", "Error : disk full", "Error : Domain error"}));
    EXPECT_FALSE(calledWord.has_value());
    dispatch("opt 0.25*2");
    EXPECT_EQ(received->number, 0.5);
}

TEST_F(DispatcherTest, SmallCommandsOfTheTerminal) {
    terminal.enterLine("echo   x");
    terminal.enterLine("echo two words  ");
    terminal.enterLine("rem anything at all");
    terminal.enterLine("   ");
    EXPECT_EQ(sink.lines(),
              (Lines{">echo   x", "  x", ">echo two words  ", "two words", ">rem anything at all", ">   "}));
    EXPECT_EQ(terminal.history().lines().size(), 4U);

    terminal.enterLine("histclr");
    EXPECT_EQ(sink.lines().back(), "Command line history is clean");
    EXPECT_TRUE(terminal.history().lines().empty());
    EXPECT_EQ(history.count, 1);

    terminal.enterLine("clear");
    EXPECT_TRUE(sink.lines().empty());
    EXPECT_EQ(sink.clearCount(), 1);
}

TEST_F(DispatcherTest, EnteringKeepsTheLineExactlyAsTyped) {
    probe("pe_result");
    terminal.enterLine("");
    EXPECT_TRUE(sink.lines().empty());
    EXPECT_TRUE(terminal.history().lines().empty());

    terminal.enterLine(" pe_result BET1 ");
    EXPECT_EQ(sink.lines(), Lines{"> pe_result BET1 "});
    EXPECT_EQ(terminal.history().lines(), Lines{" pe_result BET1 "});
    EXPECT_EQ(received->rest, " BET1");

    terminal.enterLine("histclr", Terminal::Echo::Hidden);
    EXPECT_EQ(sink.lines().back(), "Command line history is clean");
}

TEST(DispatcherAttach, OnlyCommandsOfTheTableCanBeAttachedAndEachOnce) {
    testing::RecordingSink sink;
    ChangeObserver nobody;
    Terminal terminal(sink, nobody, '.');
    EXPECT_THROW(terminal.dispatcher().attach("frobnicate", [](const CommandArguments&) {}), std::invalid_argument);
    EXPECT_NO_THROW(terminal.dispatcher().attach("sbp", [](const CommandArguments&) {}));
    // A second action would silently take the first one's place.
    EXPECT_THROW(terminal.dispatcher().attach("sbp", [](const CommandArguments&) {}), std::logic_error);
    EXPECT_THROW(terminal.dispatcher().attach("echo", [](const CommandArguments&) {}), std::logic_error);
}

}  // namespace
}  // namespace karvola
