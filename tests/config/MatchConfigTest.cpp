#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/FileSystem.h"
#include "config/MatchConfig.h"
#include "support/FileContent.h"
#include "support/FileSizeLimit.h"
#include "support/FixedClock.h"
#include "support/ScopedTimeZone.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::FileSizeLimit;
using testing::FixedClock;
using testing::ScopedTimeZone;
using testing::TemporaryDirectory;

// 2009-01-15 12:00:00 UTC: winter, one hour ahead in Central Europe.
constexpr std::time_t kWinterNoon = 1232020800;
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

void writeFile(const fs::path& file, const std::string& content) {
    testing::WriteFileContent(file, content);
}

std::string readBack(const fs::path& file) {
    return testing::ReadFileContent(file);
}

// A configuration file with the given element lines in the program's own layout.
std::string fileWith(const std::string& elementLines) {
    return "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<KarvolaConfiguration>\r\n" + elementLines +
           "</KarvolaConfiguration>\r\n";
}

std::string line(const std::string& name, const std::string& value) {
    return "\t<" + name + ">" + value + "</" + name + ">\r\n";
}

// The values a configuration holds, to compare in one go.
struct values_t {
    std::string workDirectory, defaultBase, bndValue, uidKey, memorizeUID, timeZoneBias, dataSource, options;
    std::vector<std::string> leaks;
    bool operator==(const values_t&) const = default;
};

values_t valuesOf(const MatchConfig& config) {
    return {config.GetWorkDirectory(),
            config.GetDefaultBase(),
            config.GetBNDValue(),
            config.GetUIDKey(),
            config.memorizeUID(),
            config.timeZoneBiasText(),
            config.GetDataSource(),
            config.GetResultPeResultOptions(),
            config.leakOfResultSpecificators()};
}

void PrintTo(const values_t& v, std::ostream* out) {
    *out << "{" << v.workDirectory << "|" << v.defaultBase << "|" << v.bndValue << "|" << v.uidKey << "|"
         << v.memorizeUID << "|" << v.timeZoneBias << "|" << v.dataSource << "|" << v.options << "|";
    for (const std::string& leak : v.leaks) *out << leak << ";";
    *out << "}";
}

class MatchConfigTest : public ::testing::Test {
protected:
    [[nodiscard]] fs::path configFile() const { return m_folder.path() / MatchConfig::kFileName; }
    [[nodiscard]] MatchConfig load() { return MatchConfig(m_folder.path(), m_files, m_clock); }
    [[nodiscard]] MatchConfig load(const std::string& content) {
        writeFile(configFile(), content);
        return load();
    }
    // Every value as a first run without a file sets it.
    [[nodiscard]] values_t defaults() const {
        return {"", "", "12", "", "", "1", (m_folder.path() / "DataSource/datasource.txt").string(), "110000111110",
                {}};
    }

    ScopedTimeZone m_zone{kCentralEurope};
    FixedClock m_clock{kWinterNoon};
    TemporaryDirectory m_folder;
    LocalFileSystem m_files;
};

TEST_F(MatchConfigTest, FirstRunWithoutAFileTakesTheDefaults) {
    const MatchConfig config = load();
    EXPECT_EQ(valuesOf(config), defaults());
    EXPECT_EQ(config.GetTimeZoneBias(), 1);
    EXPECT_TRUE(config.loadProblems().empty());
    EXPECT_FALSE(fs::exists(configFile()));  // only a save writes it
}

TEST_F(MatchConfigTest, FirstRunSavesTheDefaultFile) {
    ASSERT_TRUE(load().SaveConfiguration());
    EXPECT_EQ(readBack(configFile()),
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n"
              "<KarvolaConfiguration>\r\n"
              "\t<WorkDirectory></WorkDirectory>\r\n"
              "\t<DefaultBase></DefaultBase>\r\n"
              "\t<BNDValue>12</BNDValue>\r\n"
              "\t<UIDkey></UIDkey>\r\n"
              "\t<MemorizeUID></MemorizeUID>\r\n"
              "\t<TimeZoneBias>1</TimeZoneBias>\r\n"
              "\t<DataSource>" +
                  m_folder.path().string() +
                  "/DataSource/datasource.txt</DataSource>\r\n"
                  "\t<ResultPeResultOptions>110000111110</ResultPeResultOptions>\r\n"
                  "</KarvolaConfiguration>\r\n");
}

TEST_F(MatchConfigTest, SavesChangedValuesEscapedAndReadsThemBackByteForByte) {
    MatchConfig config = load();
    config.SetDefaultBase("/data/Bets & Odds/<2009>/ligue\xE9.txt");  // a Latin-1 byte
    config.SetUIDKey("k&amp;y \r\n\t ");                              // text that looks escaped, CR LF, blanks
    config.SetDataSource("/data/caf\xC3\xA9/source.txt");             // UTF-8 bytes
    config.SetResultPeResultOptions("101010101010");
    config.SetBNDValue("7.5");
    config.SetTimeZoneBias(3);
    ASSERT_TRUE(config.SaveConfiguration());

    EXPECT_EQ(
        readBack(configFile()),
        fileWith(line("WorkDirectory", "") + line("DefaultBase", "/data/Bets &amp; Odds/&lt;2009&gt;/ligue\xE9.txt") +
                 line("BNDValue", "7.5") + line("UIDkey", "k&amp;amp;y &#13;\n\t ") + line("MemorizeUID", "") +
                 line("TimeZoneBias", "+3") + line("DataSource", "/data/caf\xC3\xA9/source.txt") +
                 line("ResultPeResultOptions", "101010101010")));
    EXPECT_EQ(valuesOf(load()), valuesOf(config));
}

TEST_F(MatchConfigTest, AFileInTheProgramsLayoutIsWrittenBackUnchanged) {
    // Every element, two list entries in their order, escapes, 8-bit bytes and a value of blanks.
    const std::string content = fileWith(
        line("WorkDirectory", "/home/u/Work &amp; Play") + line("DefaultBase", "/home/u/base\xE9.txt") +
        line("BNDValue", "15") + line("UIDkey", "ABC123") + line("MemorizeUID", "  ") + line("TimeZoneBias", "-4") +
        line("DataSource",
             "/home/u/\xC5\x82\xC3\xB3"
             "d\xC5\xBA.txt") +
        line("ResultPeResultOptions", "111111111111") + line("LeakOfResultSpecificator", "second?") +
        line("LeakOfResultSpecificator", "first &lt;x&gt;"));
    const MatchConfig config = load(content);
    EXPECT_EQ(valuesOf(config), (values_t{"/home/u/Work & Play",
                                          "/home/u/base\xE9.txt",
                                          "15",
                                          "ABC123",
                                          "  ",
                                          "-4",
                                          "/home/u/\xC5\x82\xC3\xB3"
                                          "d\xC5\xBA.txt",
                                          "111111111111",
                                          {"second?", "first <x>"}}));
    EXPECT_EQ(config.GetTimeZoneBias(), -4);
    EXPECT_TRUE(config.loadProblems().empty());
    ASSERT_TRUE(config.SaveConfiguration());
    EXPECT_EQ(readBack(configFile()), content);
}

TEST_F(MatchConfigTest, ReadsElementsByNameWhereverTheyStand) {
    struct Case {
        const char* name;
        std::string content;
        values_t expected;
    };
    values_t lastWins = defaults();
    lastWins.defaultBase = "second";
    lastWins.uidKey = "";  // an empty later element empties the value again
    lastWins.bndValue = "12";
    values_t nested = defaults();
    nested.defaultBase = "deep";
    nested.leaks = {"a", "b", "c"};
    values_t caseSensitive = defaults();
    caseSensitive.uidKey = "right";
    values_t cdata = defaults();
    cdata.defaultBase = "a<b>&c";
    const Case cases[] = {
        {"the last of a name wins",
         fileWith(line("DefaultBase", "first") + line("UIDkey", "key") + line("BNDValue", "20") +
                  line("DefaultBase", "second") + line("UIDkey", "") + line("BNDValue", "")),
         lastWins},
        {"nested, after the root, with attributes; the list grows in document order",
         "<KarvolaConfiguration><Group><LeakOfResultSpecificator>a</LeakOfResultSpecificator>"
         "<Deeper a=\"1\"><DefaultBase x=\"y\">deep</DefaultBase></Deeper></Group>"
         "<LeakOfResultSpecificator>b</LeakOfResultSpecificator></KarvolaConfiguration>"
         "<LeakOfResultSpecificator>c</LeakOfResultSpecificator>",
         nested},
        {"names are case-sensitive; others are ignored",
         fileWith(line("uidkey", "wrong") + line("UIDKey", "wrong") + line("UIDkey", "right") + line("Unknown", "x") +
                  "<!-- <UIDkey>comment</UIDkey> -->\r\n"),
         caseSensitive},
        {"CDATA and comments inside a value", fileWith(line("DefaultBase", "a<![CDATA[<b>]]><!-- x -->&amp;c")), cdata},
        {"another root element", "<Other><Thing/></Other>", defaults()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MatchConfig config = load(c.content);
        EXPECT_EQ(valuesOf(config), c.expected);
        EXPECT_TRUE(config.loadProblems().empty());
    }
}

// A BND% the properties dialog would refuse makes opt search over nothing: it
// falls back to the default, with one warning.
TEST_F(MatchConfigTest, BndValuesOutsideTheirRangeFallBackWithAWarning) {
    struct Case {
        const char* stored;
        const char* used;
    };
    const Case cases[] = {{"-5", "12"},    {"0", "12"},    {"1000", "12"}, {"abc", "12"},
                          {"1e999", "12"}, {"100", "100"}, {"0.5", "0.5"}, {"12,5", "12,5"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const MatchConfig config = load(fileWith(line("BNDValue", c.stored)));
        EXPECT_EQ(config.GetBNDValue(), c.used);
        EXPECT_EQ(config.loadProblems().size(), std::string(c.used) == c.stored ? 0U : 1U);
    }
}

TEST_F(MatchConfigTest, UnknownElementsAreDroppedAtTheNextSave) {
    const MatchConfig config =
        load(fileWith(line("Unknown", "x") + line("LeakOfResultSpecificator", "one") + line("DefaultBase", "b")));
    ASSERT_TRUE(config.SaveConfiguration());
    const std::string saved = readBack(configFile());
    EXPECT_EQ(saved.find("Unknown"), std::string::npos);
    // The list comes after ResultPeResultOptions.
    EXPECT_NE(saved.find("</ResultPeResultOptions>\r\n\t<LeakOfResultSpecificator>one</LeakOfResultSpecificator>\r\n"
                         "</KarvolaConfiguration>\r\n"),
              std::string::npos);
}

TEST_F(MatchConfigTest, EmptyElementsTakeTheirDefaults) {
    const values_t expected = defaults();
    for (const std::string& form : {std::string("<%></%>"), std::string("<%/>")}) {
        std::string elements;
        for (const char* name : {"WorkDirectory", "DefaultBase", "BNDValue", "UIDkey", "MemorizeUID", "TimeZoneBias",
                                 "DataSource", "ResultPeResultOptions"}) {
            std::string element = form;
            for (std::size_t at; (at = element.find('%')) != std::string::npos;) element.replace(at, 1, name);
            elements += "\t" + element + "\r\n";
        }
        SCOPED_TRACE(elements);
        EXPECT_EQ(valuesOf(load(fileWith(elements))), expected);
    }
    // An empty list entry is still an entry.
    EXPECT_EQ(load(fileWith(line("LeakOfResultSpecificator", ""))).leakOfResultSpecificators(),
              std::vector<std::string>{""});
}

TEST_F(MatchConfigTest, TimeZoneBiasIsASignedWholeNumber) {
    struct Case {
        const char* text;
        int hours;
    };
    const Case valid[] = {{"+3", 3}, {"-4", -4}, {"0", 0}, {"+0", 0}, {"-0", 0}, {"12", 12}, {"007", 7}};
    for (const Case& c : valid) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(load(fileWith(line("TimeZoneBias", c.text))).GetTimeZoneBias(), c.hours);
    }
    const char* const invalid[] = {"abc", " 3", "3 ", "+", "-", "3.5", "--3", "+-3", "3h", "99999999999", "0x10"};
    for (const char* text : invalid) {
        SCOPED_TRACE(text);
        const MatchConfig config = load(fileWith(line("TimeZoneBias", text)));
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                (void)config.GetTimeZoneBias();
                ADD_FAILURE() << "no error";
            } catch (const std::logic_error& error) {
                EXPECT_STREQ(error.what(), "Invalid timezone.");
            }
        }
        EXPECT_EQ(config.timeZoneBiasText(), text);  // kept as it is, and saved back so
    }
}

TEST_F(MatchConfigTest, SetTimeZoneBiasWritesTheSignAndReadsBack) {
    struct Case {
        int hours;
        const char* text;
    };
    const Case cases[] = {{3, "+3"}, {0, "+0"}, {-4, "-4"}, {12, "+12"}, {-11, "-11"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MatchConfig config = load();
        config.SetTimeZoneBias(c.hours);
        EXPECT_EQ(config.timeZoneBiasText(), c.text);
        ASSERT_TRUE(config.SaveConfiguration());
        const MatchConfig reloaded = load();
        EXPECT_EQ(reloaded.timeZoneBiasText(), c.text);
        EXPECT_EQ(reloaded.GetTimeZoneBias(), c.hours);
    }
}

TEST_F(MatchConfigTest, LocalTimeZoneHoursIsTheOffsetTheLocalClockShows) {
    struct Case {
        const char* zone;
        std::time_t now;
        int hours;
    };
    constexpr std::time_t kSummerNoon = 1247659200;  // 2009-07-15 12:00:00 UTC
    const Case cases[] = {
        {"UTC0", kWinterNoon, 0},
        {kCentralEurope, kWinterNoon, 1},
        {kCentralEurope, kSummerNoon, 2},  // daylight saving counts
        {"EST5EDT,M3.2.0,M11.1.0", kWinterNoon, -5},
        {"EST5EDT,M3.2.0,M11.1.0", kSummerNoon, -4},
        {"IST-5:30", kWinterNoon, 5},  // half hours are cut off toward zero
        {"NST3:30", kWinterNoon, -3},
        {"<+14>-14", kWinterNoon, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " at " + std::to_string(c.now));
        const ScopedTimeZone zone(c.zone);
        EXPECT_EQ(MatchConfig::LocalTimeZoneHours(FixedClock(c.now)), c.hours);
    }
    // The first-run default is written without a plus sign.
    const ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    EXPECT_EQ(load().timeZoneBiasText(), "-5");
}

TEST_F(MatchConfigTest, ATruncatedFileNeverYieldsACutValue) {
    // However the file is cut, each value is either the one saved or its default, the list
    // keeps only whole entries, and nothing that follows the cut is invented.
    const values_t saved{"/work & play", "/base/europe.txt",    "15",           "UID-KEY",          "1",
                         "-4",           "/src/datasource.txt", "111111111111", {"first", "second"}};
    const std::string content =
        fileWith(line("WorkDirectory", "/work &amp; play") + line("DefaultBase", saved.defaultBase) +
                 line("BNDValue", saved.bndValue) + line("UIDkey", saved.uidKey) +
                 line("MemorizeUID", saved.memorizeUID) + line("TimeZoneBias", saved.timeZoneBias) +
                 line("DataSource", saved.dataSource) + line("ResultPeResultOptions", saved.options) +
                 line("LeakOfResultSpecificator", "first") + line("LeakOfResultSpecificator", "second"));
    const values_t fallback = defaults();
    const auto savedOrDefault = [](const std::string& value, const std::string& saved_, const std::string& default_) {
        return value == saved_ || value == default_;
    };
    for (std::size_t length = 0; length <= content.size(); ++length) {
        SCOPED_TRACE(content.substr(0, length));
        const MatchConfig config = load(content.substr(0, length));
        const values_t read = valuesOf(config);
        EXPECT_TRUE(savedOrDefault(read.workDirectory, saved.workDirectory, fallback.workDirectory));
        EXPECT_TRUE(savedOrDefault(read.defaultBase, saved.defaultBase, fallback.defaultBase));
        EXPECT_TRUE(savedOrDefault(read.bndValue, saved.bndValue, fallback.bndValue));
        EXPECT_TRUE(savedOrDefault(read.uidKey, saved.uidKey, fallback.uidKey));
        EXPECT_TRUE(savedOrDefault(read.memorizeUID, saved.memorizeUID, fallback.memorizeUID));
        EXPECT_TRUE(savedOrDefault(read.timeZoneBias, saved.timeZoneBias, fallback.timeZoneBias));
        EXPECT_TRUE(savedOrDefault(read.dataSource, saved.dataSource, fallback.dataSource));
        EXPECT_TRUE(savedOrDefault(read.options, saved.options, fallback.options));
        ASSERT_LE(read.leaks.size(), saved.leaks.size());
        EXPECT_TRUE(std::equal(read.leaks.begin(), read.leaks.end(), saved.leaks.begin()));
    }
    // A cut in the DataSource line keeps everything before it.
    const MatchConfig cut = load(content.substr(0, content.find("source.txt")));
    values_t expected = saved;
    expected.dataSource = fallback.dataSource;
    expected.options = fallback.options;
    expected.leaks.clear();
    EXPECT_EQ(valuesOf(cut), expected);
    EXPECT_FALSE(cut.loadProblems().empty());
}

TEST_F(MatchConfigTest, BrokenMarkupKeepsTheValuesBeforeIt) {
    struct Case {
        const char* name;
        std::string content;
        values_t expected;
        bool damaged;
    };
    values_t rawLess = defaults();
    rawLess.workDirectory = "/w";
    values_t rawAmpersand = defaults();
    rawAmpersand.defaultBase = "C:\\Bets & Odds\\base.txt";
    rawAmpersand.uidKey = "k";
    values_t deep = defaults();
    deep.defaultBase = "deep";
    std::string deepNesting;
    for (int i = 0; i < 100000; ++i) deepNesting += "<a>";
    deepNesting += "<DefaultBase>deep</DefaultBase>";
    for (int i = 0; i < 100000; ++i) deepNesting += "</a>";
    std::string binary;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245U + 12345U;
        binary += static_cast<char>(seed >> 24);
    }
    const Case cases[] = {
        // The value with a raw '<' is cut and left out; what follows it is lost.
        {"a raw '<' in a value",
         fileWith(line("WorkDirectory", "/w") + line("DefaultBase", "C:\\Bets<2009\\base.txt") + line("UIDkey", "k")),
         rawLess, true},
        // A raw '&' that starts no reference, as older files hold it, is read as it stands.
        {"a raw '&' in a value", fileWith(line("DefaultBase", "C:\\Bets & Odds\\base.txt") + line("UIDkey", "k")),
         rawAmpersand, false},
        {"deep nesting", deepNesting, deep, false},
        {"binary bytes", binary, defaults(), true},
        {"text without markup", "DefaultBase=/base.txt\r\n", defaults(), true},
        {"only a declaration", "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n", defaults(), true},
        {"an empty file", "", defaults(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MatchConfig config = load(c.content);
        EXPECT_EQ(valuesOf(config), c.expected);
        EXPECT_EQ(config.loadProblems().empty(), !c.damaged) << ::testing::PrintToString(config.loadProblems());
    }
}

TEST_F(MatchConfigTest, AFolderInPlaceOfTheFileGivesTheDefaults) {
    fs::create_directory(configFile());
    const MatchConfig config = load();
    EXPECT_EQ(valuesOf(config), defaults());
    EXPECT_FALSE(config.SaveConfiguration());
}

TEST_F(MatchConfigTest, AFailedSaveLeavesTheOldFile) {
    const std::string old = fileWith(line("DefaultBase", "/old.txt"));
    writeFile(configFile(), old);
    MatchConfig config = load();
    config.SetDefaultBase(std::string(4000, 'x'));
    {
        // A write that stops midway, like one on a full disk.
        const FileSizeLimit limit(old.size() + 100);
        EXPECT_FALSE(config.SaveConfiguration());
    }
    EXPECT_EQ(readBack(configFile()), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.path()), fs::directory_iterator()), 1);

    // A folder that does not exist any more.
    MatchConfig orphan(m_folder.path() / "gone", m_files, m_clock);
    EXPECT_FALSE(orphan.SaveConfiguration());
    EXPECT_FALSE(fs::exists(m_folder.path() / "gone"));
}

}  // namespace
}  // namespace karvola
