#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/ResearchDomainBuilder.h"
#include "support/RecordingSink.h"

namespace karvola {
namespace {

data_base_record_t dbRecord(std::string category, char result, std::string odds1 = "1.5", std::string odds0 = "3.2",
                            std::string odds2 = "4.5", std::string date = "01/01/2011") {
    data_base_record_t record;
    record.date = std::move(date);
    record.category = std::move(category);
    record.team1 = "Home";
    record.team2 = "Away";
    record.odds1 = std::move(odds1);
    record.odds0 = std::move(odds0);
    record.odds2 = std::move(odds2);
    record.result = result;
    return record;
}

basic_record_t domainRecord(float odds1, float odds0, float odds2, std::string date = "01/01/2011",
                            std::string teams = "Home - Away") {
    basic_record_t record;
    record.odds1 = odds1;
    record.odds0 = odds0;
    record.odds2 = odds2;
    record.date = std::move(date);
    record.teams = std::move(teams);
    record.category = "League";
    record.result = '1';
    return record;
}

// The first odds of each record: enough to tell the records of a fixture apart.
std::vector<float> firstOdds(const ResearchDomain& domain) {
    std::vector<float> odds;
    for (const basic_record_t& record : domain) odds.push_back(record.odds1);
    return odds;
}

std::vector<std::string> categoriesOf(const ResearchDomain& domain) {
    std::vector<std::string> categories;
    for (const basic_record_t& record : domain) categories.push_back(record.category);
    return categories;
}

// Sets the process locale for one test, as a library or QApplication may do.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    ProcessLocale(const ProcessLocale&) = delete;
    ProcessLocale& operator=(const ProcessLocale&) = delete;
    [[nodiscard]] bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// ---------------------------------------------------------------------------
// MaskMatch

struct MaskCase {
    const char* mask;
    const char* text;
    bool expected;
};

TEST(MaskMatchTest, MatchesStarsMaskCharactersAndPrefixes) {
    const char* const league = "England, Premier League";
    const MaskCase cases[] = {
        // Leading, trailing and surrounding '*', and the prefix match of a mask without one.
        {"Eng*", league, true},
        {"*League", league, true},
        {"*Premier*", league, true},
        {"England", league, true},
        {"*Leagu", league, false},
        {"eng*", league, false},
        {"England, Premier League, Cup", league, false},
        {"*League", "ague", false},
        {"*abc*", "ab", false},
        // Mask characters.
        {"@@@@", "2009 Cup", true},
        {"@@@@", "Cup 2009", false},
        {"#", "a", true},
        {"#", "Z", true},
        {"#", "1", false},
        {"#", "[", false},
        {"#", "`", false},
        {"@", "a", false},
        {"?", "*", true},
        {"*@*", "Cup 2009", true},
        {"*@*", "Cup", false},
        // Empty mask and empty text.
        {"", "", true},
        {"", "a", false},
        {"*", "", true},
        {"*", "anything", true},
        {"**", "", false},
        {"?", "", false},
        // Several '*': pieces matched one after the other.
        {"England*League", league, true},
        {"*, *League", league, true},
        {"E*d*", league, true},
        {"Eng*Premier*", league, true},
        {"*Premier*League*", league, true},
        {"***", league, true},
        {"a*?", "ab", true},
        {"a*?", "a", false},
        {"*a*b", "aab", true},
        // "**" in the text counts as one '*'; the mask keeps its own.
        {"a?b", "a**b", true},
        {"a??b", "a**b", false},
        {"??", "**", false},
        {"a**b", "a-b", true},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(std::string("mask '") + c.mask + "' text '" + c.text + "'");
        EXPECT_EQ(MaskMatch(c.mask, c.text), c.expected);
    }
}

TEST(MaskMatchTest, PiecesAreNeverMovedOnceMatched) {
    // Each of these texts matches the mask as a glob, but the leftmost place of a piece
    // is final: the text is then left over at the end.
    const MaskCase cases[] = {
        {"x*b", "xbb", false},
        {"x*b", "xab", true},
        {"*a*b", "abab", false},
        {"*e*e", "eee", false},
        {"Eng*e", "England, Premier League", false},
        {"Eng*e*", "England, Premier League", true},
        // With one leading '*' the rest is compared with the end of the text instead.
        {"*ab", "abab", true},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(std::string("mask '") + c.mask + "' text '" + c.text + "'");
        EXPECT_EQ(MaskMatch(c.mask, c.text), c.expected);
    }
}

// ---------------------------------------------------------------------------
// MakeBasicRecord

struct OddsCase {
    const char* text;
    float expected;
};

void expectOdds(const OddsCase& c) {
    SCOPED_TRACE(std::string("odds text '") + c.text + "'");
    const basic_record_t record = MakeBasicRecord(dbRecord("League", '1', c.text, c.text, c.text));
    EXPECT_EQ(record.odds1, c.expected);
    EXPECT_EQ(record.odds0, c.expected);
    EXPECT_EQ(record.odds2, c.expected);
}

TEST(MakeBasicRecordTest, ReadsOddsWithStrtodDecimalRules) {
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    const OddsCase cases[] = {
        {"1.85", 1.85f},
        {"  1.85", 1.85f},
        {"\t\n\v\f\r 2.5", 2.5f},
        {"+2.5", 2.5f},
        {"-2.5", -2.5f},
        {"1.85abc", 1.85f},
        {"2,5", 2.0f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e2", 100.0f},
        {"1E-1", 0.1f},
        {"1e", 1.0f},
        {"1.5e+", 1.5f},
        {"1.5 e2", 1.5f},
        // No number at all.
        {"", 0.0f},
        {"abc", 0.0f},
        {".", 0.0f},
        {"-", 0.0f},
        {"- 1", 0.0f},
        {"inf", 0.0f},
        {"infinity", 0.0f},
        {"nan", 0.0f},
        {"0x1A", 0.0f},
        // Read as a double first, then rounded to float: this text lies just above the
        // midpoint between 1 and the next float, but its double is the midpoint itself,
        // which rounds to even.
        {"1.0000000596046448", 1.0f},
        // Beyond the float range: the nearest float while within half a unit, else infinity.
        {"3.4028235e38", std::numeric_limits<float>::max()},
        {"1e39", kInfinity},
        {"1e400", kInfinity},
        {"-1e400", -kInfinity},
        {"0.0001e400", kInfinity},
        {"1e-400", 0.0f},
        {"100000e-405", 0.0f},
    };
    for (const OddsCase& c : cases) expectOdds(c);
}

TEST(MakeBasicRecordTest, ReadsOddsAlikeUnderACommaLocale) {
    const ProcessLocale polish("pl_PL.UTF-8");
    if (!polish.active()) GTEST_SKIP() << "the locale pl_PL.UTF-8 is missing: run scripts/install-deps.sh";
    expectOdds({"2.5", 2.5f});
    expectOdds({"2,5", 2.0f});
}

TEST(MakeBasicRecordTest, CopiesTheTextsAndJoinsTheTeams) {
    data_base_record_t source = dbRecord("Spain, Primera", '?', "1.6", "3.8", "7.0", "29/07/2005");
    source.team1 = "Paris SG";
    source.team2 = "Metz";
    source.flag = '7';
    const basic_record_t record = MakeBasicRecord(source);
    EXPECT_EQ(record.odds1, 1.6f);
    EXPECT_EQ(record.odds0, 3.8f);
    EXPECT_EQ(record.odds2, 7.0f);
    EXPECT_EQ(record.date, "29/07/2005");
    EXPECT_EQ(record.teams, "Paris SG - Metz");
    EXPECT_EQ(record.category, "Spain, Primera");
    EXPECT_EQ(record.result, '?');
}

// ---------------------------------------------------------------------------
// Building the domain

TEST(BuildResearchDomainTest, KeepsTheRecordsOfTheListedCategoriesInFileOrder) {
    const std::vector<data_base_record_t> records = {
        dbRecord("A", '1', "1"), dbRecord("B", '1', "2"),  dbRecord("C", '?', "3"),
        dbRecord("A", '2', "4"), dbRecord("A ", '0', "5"), dbRecord("c", '1', "6"),
    };
    EXPECT_EQ(firstOdds(BuildResearchDomain(records, {"C", "A", "Unknown"})), (std::vector<float>{1.0f, 3.0f, 4.0f}));
    EXPECT_TRUE(BuildResearchDomain(records, {}).empty());
    EXPECT_TRUE(BuildResearchDomain({}, {"A"}).empty());
}

TEST(BuildResearchDomainByMasksTest, WalksRecordsThenMasks) {
    const std::vector<data_base_record_t> records = {
        dbRecord("A1", '1', "1"),
        dbRecord("B1", '1', "2"),
        dbRecord("A2", '1', "3"),
    };
    const std::vector<std::string> masks = {"B", "A"};
    const MaskedResearchDomain result = BuildResearchDomainByMasks(records, masks);
    EXPECT_EQ(firstOdds(result.domain), (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(result.categories, (std::vector<std::string>{"A1", "A2", "B1"}));
}

TEST(BuildResearchDomainByMasksTest, RecordMatchingTwoMasksEntersTwice) {
    const std::vector<data_base_record_t> records = {
        dbRecord("England, Premier League", '1', "1"),
        dbRecord("Spain, Primera", '2', "2"),
        dbRecord("England, Championship", '0', "3"),
    };
    const std::vector<std::string> masks = {"Eng*", "*League"};
    const MaskedResearchDomain result = BuildResearchDomainByMasks(records, masks);
    EXPECT_EQ(firstOdds(result.domain), (std::vector<float>{1.0f, 1.0f, 3.0f}));
    EXPECT_EQ(result.domain[0].teams, result.domain[1].teams);
    EXPECT_EQ(result.categories, (std::vector<std::string>{"England, Championship", "England, Premier League"}));
}

TEST(BuildResearchDomainByMasksTest, LeavesOutRecordsWithoutResult) {
    const std::vector<data_base_record_t> records = {
        dbRecord("A", '?', "1"),
        dbRecord("B", '1', "2"),
        dbRecord("B", '?', "3"),
        dbRecord("C", '0', "4"),
    };
    const std::vector<std::string> masks = {"*"};
    const MaskedResearchDomain result = BuildResearchDomainByMasks(records, masks);
    EXPECT_EQ(firstOdds(result.domain), (std::vector<float>{2.0f, 4.0f}));
    EXPECT_EQ(result.categories, (std::vector<std::string>{"B", "C"}));
}

TEST(BuildResearchDomainByMasksTest, ListsCategoriesInAscendingByteOrder) {
    const std::vector<data_base_record_t> records = {
        dbRecord("b", '1'), dbRecord("\xC5l", '1'), dbRecord("Zz", '1'), dbRecord("C", '1'), dbRecord("b", '2'),
    };
    const std::vector<std::string> masks = {"*"};
    const MaskedResearchDomain result = BuildResearchDomainByMasks(records, masks);
    EXPECT_EQ(categoriesOf(result.domain), (std::vector<std::string>{"b", "\xC5l", "Zz", "C", "b"}));
    EXPECT_EQ(result.categories, (std::vector<std::string>{"C", "Zz", "b", "\xC5l"}));
}

TEST(BuildResearchDomainByMasksTest, NothingMatchesGivesAnEmptyDomain) {
    const std::vector<data_base_record_t> records = {dbRecord("A", '1')};
    const std::vector<std::string> noMatch = {"B"};
    const MaskedResearchDomain result = BuildResearchDomainByMasks(records, noMatch);
    EXPECT_TRUE(result.domain.empty());
    EXPECT_TRUE(result.categories.empty());
    EXPECT_TRUE(BuildResearchDomainByMasks(records, {}).domain.empty());
}

// ---------------------------------------------------------------------------
// Restrictions

struct RestrictionCase {
    const char* restriction;
    std::vector<float> kept;  // odds1 of the kept records, in order
};

TEST(RestrictResearchDomainTest, KeepsTheRecordsForWhichTheRestrictionHolds) {
    const ResearchDomain domain = {
        domainRecord(1.85f, 3.4f, 4.5f), domainRecord(2.0f, 3.1f, 3.9f),  domainRecord(2.1f, 3.0f, 3.5f),
        domainRecord(1.3f, 5.0f, 9.0f),  domainRecord(3.25f, 3.3f, 2.2f),
    };
    const RestrictionCase cases[] = {
        {" ODDS1 > 2", {2.1f, 3.25f}},
        {" ODDS1 > 1.5 && ODDS2 < 4", {2.0f, 2.1f, 3.25f}},
        {"ODDS1<ODDS0&&ODDS0<ODDS2", {1.85f, 2.0f, 2.1f, 1.3f}},
        {"ODDS2<ODDS1", {3.25f}},
        {"ODDS0==3.1", {2.0f}},
        {"ODDS1>=1.85&&ODDS1<=2", {1.85f, 2.0f}},
        {"(ODDS1+ODDS0)*2>12.5", {1.3f, 3.25f}},
        // The odds are written with 15 significant digits: 1.85f as 1.85000002384186, not
        // 1.85 (two decimals) nor 1.8500000238418579 (every digit of the double).
        {"(ODDS1-1.85)*1000000000>20&&ODDS1<1.9", {1.85f}},
        {"(ODDS1-1.85000002384186)*1000000000000000==0", {1.85f}},
        {"ODDS1 > 100", {}},
    };
    for (const RestrictionCase& c : cases) {
        SCOPED_TRACE(c.restriction);
        EXPECT_EQ(firstOdds(RestrictResearchDomain(domain, c.restriction)), c.kept);
    }
}

TEST(RestrictResearchDomainTest, PassesExpressionErrorsOn) {
    const ResearchDomain domain = {domainRecord(1.85f, 3.4f, 4.5f), domainRecord(2.0f, 3.1f, 3.9f)};
    // The first record passes; the second divides by zero. Unlike the betting loops,
    // a restriction does not skip a record on "Domain error".
    try {
        (void)RestrictResearchDomain(domain, "1/(ODDS1-2)<0");
        FAIL() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Domain error");
    }
    EXPECT_THROW((void)RestrictResearchDomain(domain, " ODDS1 >"), std::logic_error);
    // Only the upper-case names are odds.
    EXPECT_THROW((void)RestrictResearchDomain(domain, "odds1 > 2"), std::logic_error);
}

TEST(RestrictResearchDomainTest, EvaluatesNothingOnAnEmptyDomain) {
    EXPECT_TRUE(RestrictResearchDomain({}, " ODDS1 >").empty());
}

TEST(RestrictResearchDomainTest, WritesOddsWithAPointUnderACommaLocale) {
    const ProcessLocale polish("pl_PL.UTF-8");
    if (!polish.active()) GTEST_SKIP() << "the locale pl_PL.UTF-8 is missing: run scripts/install-deps.sh";
    const ResearchDomain domain = {domainRecord(1.85f, 3.4f, 4.5f), domainRecord(2.5f, 3.1f, 3.9f)};
    EXPECT_EQ(firstOdds(RestrictResearchDomain(domain, "ODDS1 > 2.25")), (std::vector<float>{2.5f}));
}

// ---------------------------------------------------------------------------
// drange

ResearchDomain datedDomain() {
    return {
        domainRecord(1.1f, 3.0f, 4.0f, "01/01/2011", "A - B"), domainRecord(1.2f, 3.0f, 4.0f, "15/01/2011", "C - D"),
        domainRecord(1.3f, 3.0f, 4.0f, "15/01/2011", "E - F"), domainRecord(1.4f, 3.0f, 4.0f, "01/03/2011", "G - H"),
        domainRecord(1.5f, 3.0f, 4.0f, "01/05/2011", "I - J"),
    };
}

struct RangeCase {
    const char* first;
    const char* second;
    int lo;
    int hi;
};

TEST(FindDateRangeTest, FindsTheFirstAndLastRecordOfTheRange) {
    const RangeCase cases[] = {
        {"15/01/2011", "15/01/2011", 2, 3},
        {"01/01/2011", "01/01/2011", 1, 1},
        {"02/01/2011", "01/03/2011", 2, 4},
        {"01/01/2010", "31/12/2012", 1, 5},
        // Between two records: nothing inside, LO ends one above HI.
        {"16/01/2011", "28/02/2011", 4, 3},
        // The parser does not look at the separators.
        {"15.01.2011", "15-01-2011", 2, 3},
    };
    const ResearchDomain domain = datedDomain();
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " " + c.second);
        testing::RecordingSink sink;
        const CompartmentRange range = FindDateRange(domain, c.first, c.second, sink);
        EXPECT_EQ(range.lo, c.lo);
        EXPECT_EQ(range.hi, c.hi);
    }
}

TEST(FindDateRangeTest, WritesBothFoundRecords) {
    testing::RecordingSink sink;
    (void)FindDateRange(datedDomain(), "02/01/2011", "01/03/2011", sink);
    EXPECT_EQ(sink.lines(), (std::vector<std::string>{
                                "First found record of given range:",
                                " date: 15/01/2011",
                                " category: League",
                                " teams: C - D",
                                "Last found record of given range:",
                                " date: 01/03/2011",
                                " category: League",
                                " teams: G - H",
                            }));
}

// The message of the error FindDateRange throws, or "no error".
std::string rangeError(const ResearchDomain& domain, const char* first, const char* second,
                       testing::RecordingSink& sink) {
    try {
        (void)FindDateRange(domain, first, second, sink);
    } catch (const std::logic_error& error) {
        return error.what();
    }
    return "no error";
}

struct RangeErrorCase {
    const char* first;
    const char* second;
    const char* message;
    std::size_t linesWritten;
};

TEST(FindDateRangeTest, ReportsEveryFailureWithItsLine) {
    const RangeErrorCase cases[] = {
        {"1/1/2011", "31/12/2011", "Error : Incorrect date format", 0},
        {"01/01/2011", "aa/12/2011", "Error : Incorrect date format", 0},
        {"01/05/2009", "01/04/2009", "01/05/2009 is after 01/04/2009", 0},
        {"02/05/2011", "31/12/2011", "Error : Can't find any record for selected date : 02/05/2011", 0},
        // The first record was found and written before the second search failed.
        {"01/01/2000", "31/12/2000", "Error : Can't find any record for selected date : 31/12/2000", 4},
    };
    const ResearchDomain domain = datedDomain();
    for (const RangeErrorCase& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " " + c.second);
        testing::RecordingSink sink;
        EXPECT_EQ(rangeError(domain, c.first, c.second, sink), c.message);
        EXPECT_EQ(sink.lines().size(), c.linesWritten);
    }
}

TEST(FindDateRangeTest, EmptyDomainHasNoFirstRecord) {
    testing::RecordingSink sink;
    EXPECT_EQ(rangeError({}, "01/01/2011", "31/12/2011", sink),
              "Error : Can't find any record for selected date : 01/01/2011");
    EXPECT_TRUE(sink.lines().empty());
}

TEST(FindDateRangeTest, StopsAtARecordWithABadDate) {
    ResearchDomain domain = datedDomain();
    domain[1].date = "15/01/11";
    testing::RecordingSink sink;
    // Record 1 lies before the range, so the search reads record 2.
    EXPECT_EQ(rangeError(domain, "10/01/2011", "31/12/2011", sink), "Error : Incorrect date format");
    EXPECT_TRUE(sink.lines().empty());
    // A range that the forward search settles at record 1 and the backward one at
    // record 5 never reads the bad date.
    const CompartmentRange range = FindDateRange(domain, "01/01/2011", "31/12/2011", sink);
    EXPECT_EQ(range.lo, 1);
    EXPECT_EQ(range.hi, 5);
}

}  // namespace
}  // namespace karvola
