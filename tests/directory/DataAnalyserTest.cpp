#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "directory/DataAnalyser.h"

namespace karvola {
namespace {

using Analyser = DataAnalyser<DirectDataAcquisitor>;

struct Extraction {
    std::string value;  // or the message of the error raised
    std::int32_t position = 0;
};

Extraction Extract(Analyser& analyser, bool strict) {
    Extraction result;
    try {
        result.value = analyser.Analyse(strict);
    } catch (const std::logic_error& error) {
        result.value = std::string("error: ") + error.what();
    }
    result.position = analyser.position();
    return result;
}

TEST(DataAnalyserTest, ExtractsTheValueBetweenPrefixAndSuffix) {
    struct Case {
        const char* data;
        const char* prefix;
        const char* suffix;
        const char* content;
        bool strict;
        std::int32_t start;
        const char* expected;
        std::int32_t position;
    };
    const Case cases[] = {
        {"x[ID]abc[/ID]y", "[ID]", "[/ID]", "*", true, -1, "abc", 8},
        {"[ID][/ID]", "[ID]", "[/ID]", "*", true, -1, "", 4},
        {"[ID]abc", "[ID]", "[/ID]", "*", true, -1, "error: Suffix string for mask \"[/ID]\" not found.", 7},
        {"[ID]abc", "[ID]", "[/ID]", "*", false, -1, "", 7},
        {"no tags here", "[ID]", "[/ID]", "*", true, -1, "", 12},
        {"no tags here", "[ID]", "[/ID]", "*", false, -1, "", 12},
        {"x", "[ID]", "[/ID]", "", true, -1, "", 1},
        {"", "[ID]", "[/ID]", "", true, -1, "", -1},
        {"[ID]abc[/ID]", "", "[/ID]", "", true, -1, "error: Cannot analize data because prefix or suffix mask is empty",
         -1},
        {"[ID]abc[/ID]", "[ID]", "", "", false, -1, "error: Cannot analize data because prefix or suffix mask is empty",
         -1},
        // The search starts at the position set, not at the first match.
        {"[ID]a[/ID][ID]b[/ID]", "[ID]", "[/ID]", "", true, 1, "b", 15},
        // The content mask.
        {"[ID]abc[/ID]", "[ID]", "[/ID]", "###", true, -1, "abc", 7},
        {"[ID]abc[/ID]", "[ID]", "[/ID]", "@@@", true, -1,
         "error: Content is invalid. String = \"abc\", mask = \"@@@\".", 7},
        {"[ID]abc[/ID]", "[ID]", "[/ID]", "@@@", false, -1, "", 7},
        // A prefix with "*" inside ends at the shortest text that completes it.
        {"<a href=x>text</a>", "<a*>", "</a>", "", true, -1, "text", 14},
        {"<a>1</a><a>2</a>", "<a*>", "</a>", "", true, -1, "1", 4},
        // The skip after a failed try compares the pattern's first character
        // literally: "?B" is tried at the start and where a "?" stands.
        {"AB1;", "?B", ";", "", true, -1, "1", 3},
        {"xxAB1;", "?B", ";", "", true, -1, "", 6},
        {"xxAB?B2;", "?B", ";", "", true, -1, "2", 7},
        // A prefix of one character: the value starts right after it.
        {"x[ab]", "[", "]", "", true, -1, "ab", 4},
        {"[]", "[", "]", "", true, -1, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " " + c.prefix + " " + c.suffix + (c.strict ? " strict" : ""));
        Analyser analyser;
        analyser.Acquire(c.data);
        analyser.SetPrefixMask(c.prefix);
        analyser.SetSuffixMask(c.suffix);
        analyser.SetContentMask(c.content);
        if (c.start != -1) analyser.SetPosition(c.start);
        const Extraction result = Extract(analyser, c.strict);
        EXPECT_EQ(result.value, c.expected);
        EXPECT_EQ(result.position, c.position);
    }
}

// One directory line read element by element, each search starting at the
// previous element's suffix.
TEST(DataAnalyserTest, WalksThroughALineElementByElement) {
    const std::string line =
        "[ID]B365[/ID][LINK]https://www.bet365.com/[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\r";
    Analyser analyser;
    EXPECT_EQ(analyser.position(), -1);
    analyser.Acquire(line);
    EXPECT_EQ(analyser.position(), -1);
    analyser.SetContentMask("*");
    analyser.SetPosition(0);
    struct Step {
        const char* prefix;
        const char* suffix;
        const char* value;
    };
    const Step steps[] = {
        {"[ID]", "[/ID]", "B365"},
        {"[LINK]", "[/LINK]", "https://www.bet365.com/"},
        {"[STATE]", "[/STATE]", "ON LINE"},
        {"[RATED]", "[/RATED]", "A"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.prefix);
        analyser.SetPrefixMask(step.prefix);
        analyser.SetSuffixMask(step.suffix);
        EXPECT_EQ(analyser.Analyse(true), step.value);
        EXPECT_EQ(analyser.position(), static_cast<std::int32_t>(line.find(step.suffix)));
    }
    // Nothing further: the position runs to the end and stays there for the
    // next line until it is set again.
    analyser.SetPrefixMask("[ID]");
    analyser.SetSuffixMask("[/ID]");
    EXPECT_EQ(analyser.Analyse(true), "");
    EXPECT_EQ(analyser.position(), static_cast<std::int32_t>(line.size()));
    analyser.Acquire("[ID]BW[/ID]");
    EXPECT_EQ(analyser.Analyse(true), "");
    analyser.SetPosition(0);
    EXPECT_EQ(analyser.Analyse(true), "BW");
}

// Runs of "*" in the data, and a line far longer than any directory line whose
// every character could begin the suffix: each try must cost the pattern's
// length, not the rest of the line, or a hostile reply stalls the start-up.
TEST(DataAnalyserTest, LongLinesAndRunsOfStarsAreReadInLinearTime) {
    struct Case {
        std::string data;
        std::string value;
    };
    const Case cases[] = {
        {"[ID]a***b[/ID]", "a***b"},
        {"[ID]ab**[/ID]", "ab**"},
        {"[ID]**[/ID]", "**"},
        {"[ID]a[/I**D][/ID]", "a[/I**D]"},
        {"[ID]" + std::string(4 << 20, '[') + "[/ID]", std::string(4 << 20, '[')},
        {"[ID]" + std::string(1 << 20, '*') + "x[/ID]", std::string(1 << 20, '*') + "x"},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        Analyser analyser;
        analyser.Acquire(c.data);
        analyser.SetPosition(0);
        analyser.SetPrefixMask("[ID]");
        analyser.SetSuffixMask("[/ID]");
        EXPECT_EQ(analyser.Analyse(true), c.value) << c.data.substr(0, 20);
    }
    // Quadratic reading of these sizes would take hours; ThreadSanitizer alone
    // makes the linear one several times slower.
#ifdef __SANITIZE_THREAD__
    constexpr auto kLinearTime = std::chrono::seconds(30);
#else
    constexpr auto kLinearTime = std::chrono::seconds(5);
#endif
    EXPECT_LT(std::chrono::steady_clock::now() - start, kLinearTime);
}

TEST(DataAnalyserTest, MasksBeginningOrEndingWithAStarAreRefused) {
    Analyser analyser;
    analyser.Acquire("[ID]abc[/ID]");
    analyser.SetPrefixMask("[ID]");
    analyser.SetSuffixMask("[/ID]");
    struct Case {
        const char* mask;
        bool prefix;
        const char* message;
    };
    const Case refused[] = {
        {"*[ID]", true, "Prefix mask cannot begin or end with \"*\" character"},
        {"[ID]*", true, "Prefix mask cannot begin or end with \"*\" character"},
        {"*", true, "Prefix mask cannot begin or end with \"*\" character"},
        {"*[/ID]", false, "Suffix mask cannot begin or end with \"*\" character"},
        {"[/ID]*", false, "Suffix mask cannot begin or end with \"*\" character"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.mask);
        try {
            c.prefix ? analyser.SetPrefixMask(c.mask) : analyser.SetSuffixMask(c.mask);
            ADD_FAILURE() << "accepted";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
    }
    // The old masks stay in force.
    analyser.SetPosition(0);
    EXPECT_EQ(analyser.Analyse(true), "abc");
}

}  // namespace
}  // namespace karvola
