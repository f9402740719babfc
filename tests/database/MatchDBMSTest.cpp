#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/MatchDBMS.h"
#include "support/FileContent.h"
#include "support/TemporaryDirectory.h"

namespace karvola {
namespace {

using Lines = std::vector<std::string>;
using Fields = std::vector<std::string>;

constexpr const char* kCouldNotLoad = "DBMS Error : Could not load dbase file";
constexpr const char* kCorrupted = "Fatal (DBMS) : Corrupted dbase file";
constexpr const char* kCouldNotSave = "Fatal (DBMS) Could not save dbase file";
constexpr const char* kCouldNotSave30 = "DBMS Fatal: Could not save dbase file";
constexpr const char* kSavingNow = "DBMS : Saving now, wait...";
constexpr const char* kSavingNow30 = "DBMS : Saving now as 3.0 data format, wait...";
constexpr const char* kSavingDone = "DBMS : Saving done.";

// The terminal lines, and whether each was shown at once (a repaint before the next line).
class ScreenSink final : public TerminalSink {
public:
    void appendLine(std::string_view line) override {
        if (m_unpainted) m_everyLineRepainted = false;
        m_lines.emplace_back(line);
        m_unpainted = true;
    }
    void clearScreen() override { m_lines.clear(); }
    void repaint() override { m_unpainted = false; }

    [[nodiscard]] bool everyLineRepainted() const { return m_everyLineRepainted && !m_unpainted; }
    // The lines since the last call.
    Lines take() {
        Lines lines = std::move(m_lines);
        m_lines.clear();
        m_everyLineRepainted = true;
        m_unpainted = false;
        return lines;
    }

private:
    Lines m_lines;
    bool m_everyLineRepainted = true;
    bool m_unpainted = false;
};

// Files in memory, with switches for the failures a real disk rarely shows on demand.
class FakeFileSystem final : public FileSystem {
public:
    std::map<std::filesystem::path, std::string> files;
    bool failRead = false;
    bool outOfMemory = false;  // the read runs out of memory, as a base too large for it does
    bool failReplace = false;
    std::optional<std::size_t> failWriteAfter;  // bytes accepted before the disk is full
    bool failCommit = false;
    int reads = 0;

    std::optional<std::string> readFile(const std::filesystem::path& file) override {
        ++reads;
        if (outOfMemory) throw std::bad_alloc();
        const auto it = files.find(file);
        if (failRead || it == files.end()) return std::nullopt;
        return it->second;
    }

    std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) override {
        if (failReplace) return nullptr;
        return std::make_unique<Replacement>(*this, file);
    }

    bool exists(const std::filesystem::path& file) override { return files.contains(file); }

private:
    class Replacement final : public ReplacementFile {
    public:
        Replacement(FakeFileSystem& owner, std::filesystem::path target)
            : m_owner(owner), m_target(std::move(target)) {}

        bool write(std::string_view data) override {
            if (m_owner.failWriteAfter && m_content.size() + data.size() > *m_owner.failWriteAfter) {
                m_content.append(data.substr(0, *m_owner.failWriteAfter - m_content.size()));
                m_failed = true;
            } else if (!m_failed) {
                m_content.append(data);
            }
            return !m_failed;
        }

        bool commit() override {
            if (m_failed || m_owner.failCommit) return false;
            m_owner.files[m_target] = m_content;
            return true;
        }

    private:
        FakeFileSystem& m_owner;
        std::filesystem::path m_target;
        std::string m_content;
        bool m_failed = false;
    };
};

std::string joinLines(std::initializer_list<std::string_view> lines, std::string_view lineEnd = "\n") {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

std::vector<Fields> fieldsOf(std::span<const data_base_record_t> records) {
    std::vector<Fields> out;
    for (const data_base_record_t& r : records) {
        out.push_back({r.date, r.category, r.team1, r.team2, r.odds1, r.odds0, r.odds2, std::string(1, r.result),
                       std::string(1, r.flag)});
    }
    return out;
}

const Fields kParis = {"29/07/2005", "France, Ligue 1", "Paris SG", "Metz", "1.6", "3.8", "7.0", "1", "0"};
const Fields kBayern = {"05/08/2005", "Germany, Bundesliga", "Bayern Munich", "M'gladbach", "1.25", "5.5", "11", "1",
                        "0"};
// No result yet, and a flag other than '0': both must survive a load and a save.
const Fields kEverton = {"11/08/2005", "England, Premier League", "Everton", "Man United", "4.2", "3.4", "1.95", "?",
                         "7"};

std::string recordText(const Fields& record, std::string_view lineEnd = "\n") {
    std::string text;
    for (const std::string& field : record) {
        text += field;
        text += lineEnd;
    }
    return text;
}

// Three records in file order, one of them without a result.
std::string threeRecords(std::string_view lineEnd = "\n") {
    return recordText(kParis, lineEnd) + recordText(kEverton, lineEnd) + recordText(kBayern, lineEnd);
}

Lines summaryOf(const Fields& record) {
    return {"  date     : " + record[0], "  category : " + record[1], "  1st team : " + record[2],
            "  2nd team : " + record[3], "  odds1    : " + record[4], "  odds0    : " + record[5],
            "  odds2    : " + record[6]};
}

Lines loadSummary(int count, const Fields& first, const Fields& last) {
    Lines lines = {"DBMS : " + std::to_string(count) + " items loaded.", " First record: "};
    const Lines firstLines = summaryOf(first);
    lines.insert(lines.end(), firstLines.begin(), firstLines.end());
    lines.emplace_back(" Last record: ");
    const Lines lastLines = summaryOf(last);
    lines.insert(lines.end(), lastLines.begin(), lastLines.end());
    return lines;
}

TEST(ParseDataBaseTextTest, LineEndsAndCarriageReturnsDoNotChangeTheRecords) {
    const std::vector<Fields> expected = {kParis, kEverton, kBayern};
    std::string strayCr = threeRecords();
    // CRs anywhere in a line go, not only before the LF.
    strayCr.replace(strayCr.find("Paris SG"), 8, "Par\ris\r SG");
    strayCr.replace(strayCr.find("\n1\n"), 3, "\n\r1\r\r\n");

    for (const auto& [name, text] : {std::pair{"LF", threeRecords("\n")}, std::pair{"CR LF", threeRecords("\r\n")},
                                     std::pair{"CRs inside lines", strayCr}}) {
        SCOPED_TRACE(name);
        const ParsedDataBase parsed = ParseDataBaseText(text);
        EXPECT_TRUE(parsed.valid);
        EXPECT_EQ(fieldsOf(parsed.records), expected);
    }
}

TEST(ParseDataBaseTextTest, AcceptsOnlyWholeRecordsWithOneCharacterResultAndFlag) {
    const std::string one = recordText(kParis);
    struct Case {
        const char* name;
        std::string text;
        bool valid;
        bool missingLineEnd;
        std::size_t records;
    };
    const Case cases[] = {
        {"empty text fields are kept", joinLines({"", "", "", "", "", "", "", "1", "0"}), true, false, 1},
        {"any single character as result and flag", joinLines({"d", "c", "a", "b", "x", "y", "z", "#", " "}), true,
         false, 1},
        {"text after the last LF is ignored", one + "29/07/2005\r", true, false, 1},
        {"no LF at all", "29/07/2005", false, false, 0},
        {"nothing", "", false, false, 0},
        {"ninth line without LF", one.substr(0, one.size() - 1), false, true, 0},
        {"one LF after the last record", one + "\n", false, true, 0},
        {"eight lines after the last record", one + joinLines({"a", "b", "c", "d", "e", "f", "g", "1"}), false, true,
         0},
        {"result of two characters", joinLines({"d", "c", "a", "b", "1", "2", "3", "10", "0"}), false, false, 0},
        {"empty flag", joinLines({"d", "c", "a", "b", "1", "2", "3", "1", ""}), false, false, 0},
        {"result of CRs only", joinLines({"d", "c", "a", "b", "1", "2", "3", "\r\r", "0"}), false, false, 0},
        {"LFs only", std::string(90, '\n'), false, false, 0},
        {"a bad second record drops the first", one + joinLines({"d", "c", "a", "b", "1", "2", "3", "1", "00"}), false,
         false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedDataBase parsed = ParseDataBaseText(c.text);
        EXPECT_EQ(parsed.valid, c.valid);
        EXPECT_EQ(parsed.missingLineEnd, c.missingLineEnd);
        EXPECT_EQ(parsed.records.size(), c.records);
    }
}

class MatchDBMSTest : public ::testing::Test {
protected:
    // A base holding the three records, loaded from "old.txt", with the screen cleared.
    std::unique_ptr<MatchDBMS> loadedBase() {
        files.files["old.txt"] = threeRecords();
        auto dbms = std::make_unique<MatchDBMS>(sink, files);
        dbms->SetDataBaseName("old.txt");
        EXPECT_EQ(dbms->Load().code, 0);
        sink.take();
        return dbms;
    }

    ScreenSink sink;
    FakeFileSystem files;
};

TEST_F(MatchDBMSTest, StartsEmptyWithTheReleaseLine) {
    const MatchDBMS dbms(sink, files);
    EXPECT_TRUE(sink.everyLineRepainted());
    EXPECT_EQ(sink.take(), Lines{"Match DBMS release date :  Apr 22 2009"});
    EXPECT_FALSE(dbms.IsModified());
    EXPECT_FALSE(dbms.HasDataBaseName());
    EXPECT_TRUE(dbms.records().empty());
    EXPECT_EQ(dbms.CountSettledRecords(), 0);
}

TEST_F(MatchDBMSTest, SettingTheSameNameAgainChangesNothing) {
    MatchDBMS dbms(sink, files);
    sink.take();
    dbms.SetDataBaseName("DataBase/top.txt");
    EXPECT_TRUE(sink.everyLineRepainted());
    EXPECT_EQ(sink.take(), Lines{"Setting data base to : DataBase/top.txt"});
    EXPECT_TRUE(dbms.IsModified());
    EXPECT_TRUE(dbms.HasDataBaseName());

    files.files["DataBase/top.txt"] = threeRecords();
    ASSERT_EQ(dbms.Load().code, 0);
    sink.take();
    dbms.SetDataBaseName("DataBase/top.txt");
    EXPECT_EQ(sink.take(), Lines{});
    EXPECT_FALSE(dbms.IsModified());
}

TEST_F(MatchDBMSTest, LoadReadsOnceAndSummarisesFirstAndLastRecord) {
    MatchDBMS dbms(sink, files);
    files.files["base.txt"] = threeRecords("\r\n");
    dbms.SetDataBaseName("base.txt");
    sink.take();

    ASSERT_EQ(dbms.Load().code, 0);
    EXPECT_EQ(files.reads, 1);
    EXPECT_TRUE(sink.everyLineRepainted());
    // The record without a result counts among the loaded items, not among the settled ones.
    EXPECT_EQ(sink.take(), loadSummary(3, kParis, kBayern));
    EXPECT_EQ(dbms.CountSettledRecords(), 2);
    EXPECT_FALSE(dbms.IsModified());
    EXPECT_EQ(fieldsOf(dbms.records()), (std::vector<Fields>{kParis, kEverton, kBayern}));

    // A second base replaces the first entirely.
    files.files["other.txt"] = recordText(kBayern);
    dbms.SetDataBaseName("other.txt");
    sink.take();
    ASSERT_EQ(dbms.Load().code, 0);
    EXPECT_EQ(sink.take(), loadSummary(1, kBayern, kBayern));
    EXPECT_EQ(fieldsOf(dbms.records()), std::vector<Fields>{kBayern});
    ASSERT_EQ(dbms.categories().size(), 1U);
    EXPECT_EQ(dbms.categories()[0].name, "Germany, Bundesliga");
}

TEST_F(MatchDBMSTest, CategoriesByCountThenByFirstAppearance) {
    std::string text;
    // First appearances C, B, A, D; counts C 1, B 2, A 2, D 3. Equal counts keep file order, not name order.
    for (const char* category : {"C", "B", "A", "D", "D", "B", "A", "D"}) {
        text += joinLines({"01/01/2020", category, "h", "a", "2", "3", "4", "?", "0"});
    }
    files.files["base.txt"] = text;
    MatchDBMS dbms(sink, files);
    dbms.SetDataBaseName("base.txt");
    ASSERT_EQ(dbms.Load().code, 0);

    std::vector<MatchDBMS::category_t> categories{{"stale", 9}};
    dbms.GetCategories(categories);
    std::vector<std::pair<std::string, std::uint32_t>> got;
    for (const auto& category : categories) got.emplace_back(category.name, category.count);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, std::uint32_t>>{{"D", 3}, {"B", 2}, {"A", 2}, {"C", 1}}));
}

TEST_F(MatchDBMSTest, FailedLoadKeepsRecordsOnlyWhenTheFileWasUnreadable) {
    const std::string one = recordText(kParis);
    struct Case {
        const char* name;
        std::optional<std::string> content;  // nothing: no such file
        bool readFails;
        int result;
        Lines lines;
    };
    const Case cases[] = {
        {"missing file", std::nullopt, false, -1, {kCouldNotLoad}},
        {"unreadable file", one, true, -1, {kCouldNotLoad}},
        {"empty file", "", false, -1, {kCouldNotLoad}},
        {"nine lines, the last without LF", one.substr(0, one.size() - 1), false, -2, {kCorrupted}},
        {"result \"10\"", joinLines({"d", "c", "a", "b", "1", "2", "3", "10", "0"}), false, -2, {}},
        {"no LF at all", "29/07/2005 France, Ligue 1", false, -2, {}},
        {"fewer than nine LFs after the last record",
         one + joinLines({"30/07/2005", "France"}),
         false,
         -2,
         {kCorrupted}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files = FakeFileSystem{};
        const std::unique_ptr<MatchDBMS> dbms = loadedBase();
        if (c.content) files.files["new.txt"] = *c.content;
        files.failRead = c.readFails;
        dbms->SetDataBaseName("new.txt");
        sink.take();

        EXPECT_EQ(dbms->Load().code, c.result);
        EXPECT_EQ(sink.take(), c.lines);
        EXPECT_FALSE(dbms->IsModified());
        if (c.result == -1) {
            EXPECT_EQ(fieldsOf(dbms->records()), (std::vector<Fields>{kParis, kEverton, kBayern}));
            EXPECT_EQ(dbms->categories().size(), 3U);
        } else {
            EXPECT_TRUE(dbms->records().empty());
            EXPECT_TRUE(dbms->categories().empty());
        }
    }
}

TEST_F(MatchDBMSTest, JunkIsRejectedWithoutHarm) {
    std::mt19937 random(20090422);
    const auto junk = [&random](std::string_view alphabet, std::size_t size) {
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        std::string text(size, '\0');
        for (char& c : text) c = alphabet[pick(random)];
        return text;
    };
    std::string allBytes;
    for (int c = 0; c < 256; ++c) allBytes += static_cast<char>(c);

    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"binary", junk(allBytes, 1 << 20)},
        {"short lines of a, CR and LF", junk("a\r\n", 1 << 20)},
        // NOLINTNEXTLINE(bugprone-string-constructor): the length is the point
        {"one line of 100 MB", std::string(100'000'000, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<MatchDBMS> dbms = loadedBase();
        files.files["junk.txt"] = c.content;
        dbms->SetDataBaseName("junk.txt");
        EXPECT_EQ(dbms->Load().code, -2);
        EXPECT_TRUE(dbms->records().empty());
        files.files.erase("junk.txt");
    }
}

TEST_F(MatchDBMSTest, SavesEveryRecordWithCrLf) {
    const std::unique_ptr<MatchDBMS> dbms = loadedBase();
    dbms->SetDataBaseName("new.txt");
    sink.take();

    EXPECT_EQ(dbms->Save(), 0);
    EXPECT_EQ(sink.take(), (Lines{kSavingNow, kSavingDone}));
    EXPECT_FALSE(dbms->IsModified());
    EXPECT_EQ(files.files["new.txt"],
              "29/07/2005\r\nFrance, Ligue 1\r\nParis SG\r\nMetz\r\n1.6\r\n3.8\r\n7.0\r\n1\r\n0\r\n"
              "11/08/2005\r\nEngland, Premier League\r\nEverton\r\nMan United\r\n4.2\r\n3.4\r\n1.95\r\n?\r\n7\r\n"
              "05/08/2005\r\nGermany, Bundesliga\r\nBayern Munich\r\nM'gladbach\r\n1.25\r\n5.5\r\n11\r\n1\r\n0\r\n");

    EXPECT_EQ(dbms->SaveAs("copy.txt"), 0);
    EXPECT_EQ(dbms->fileName(), "copy.txt");
    EXPECT_EQ(sink.take(), (Lines{kSavingNow, kSavingDone}));
    EXPECT_EQ(files.files["copy.txt"], files.files["new.txt"]);
}

TEST_F(MatchDBMSTest, Exports30FormatWithoutUnsettledRecords) {
    const std::unique_ptr<MatchDBMS> dbms = loadedBase();
    dbms->SetDataBaseName("renamed.txt");
    sink.take();

    dbms->SaveAs30Format("old30.txt");
    EXPECT_EQ(sink.take(), (Lines{kSavingNow30, kSavingDone}));
    EXPECT_EQ(files.files["old30.txt"],
              "France, Ligue 1\r\nParis SG\r\nMetz\r\n1.6\r\n3.8\r\n7.0\r\n1\r\n----\r\n"
              "Germany, Bundesliga\r\nBayern Munich\r\nM'gladbach\r\n1.25\r\n5.5\r\n11\r\n1\r\n----\r\n");
    // The export is not a save of the base.
    EXPECT_EQ(dbms->fileName(), "renamed.txt");
    EXPECT_TRUE(dbms->IsModified());
}

TEST_F(MatchDBMSTest, FailedSaveKeepsTheOldFileAndTheChangedState) {
    enum class Failure { Open, Write, Commit };
    enum class Operation { Save, SaveAs, Export30 };
    struct Case {
        const char* name;
        Operation operation;
        Failure failure;
        Lines lines;
    };
    const Case cases[] = {
        {"save, open fails", Operation::Save, Failure::Open, {kCouldNotSave}},
        {"save, disk full midway", Operation::Save, Failure::Write, {kSavingNow, kCouldNotSave}},
        {"save, rename fails", Operation::Save, Failure::Commit, {kSavingNow, kCouldNotSave}},
        {"save as, open fails", Operation::SaveAs, Failure::Open, {kCouldNotSave}},
        {"save as, disk full midway", Operation::SaveAs, Failure::Write, {kSavingNow, kCouldNotSave}},
        {"3.0 export, open fails", Operation::Export30, Failure::Open, {kCouldNotSave30}},
        {"3.0 export, disk full midway", Operation::Export30, Failure::Write, {kSavingNow30, kCouldNotSave30}},
        {"3.0 export, rename fails", Operation::Export30, Failure::Commit, {kSavingNow30, kCouldNotSave30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files = FakeFileSystem{};
        const std::unique_ptr<MatchDBMS> dbms = loadedBase();
        files.files["target.txt"] = "what was there";
        dbms->SetDataBaseName(c.operation == Operation::Save ? "target.txt" : "named.txt");
        sink.take();
        files.failReplace = c.failure == Failure::Open;
        files.failCommit = c.failure == Failure::Commit;
        if (c.failure == Failure::Write) files.failWriteAfter = 100;

        switch (c.operation) {
            case Operation::Save:
                EXPECT_EQ(dbms->Save(), -1);
                break;
            case Operation::SaveAs:
                EXPECT_EQ(dbms->SaveAs("target.txt"), -1);
                // A save that failed must not point the next one at a file it never wrote.
                EXPECT_EQ(dbms->fileName(), "named.txt");
                break;
            case Operation::Export30:
                dbms->SaveAs30Format("target.txt");
                EXPECT_EQ(dbms->fileName(), "named.txt");
                break;
        }
        EXPECT_EQ(sink.take(), c.lines);
        EXPECT_EQ(files.files["target.txt"], "what was there");
        EXPECT_TRUE(dbms->IsModified());
        EXPECT_EQ(dbms->records().size(), 3U);
    }
}

TEST(DescriptorPathTest, ReplacesTheExtensionInTheSameFolder) {
    struct Case {
        const char* base;
        const char* descriptor;
    };
    const Case cases[] = {
        {"DataBase/top.txt", "DataBase/top.desc"},
        {"/home/u/top", "/home/u/top.desc"},
        {"my.bases/season.2005.txt", "my.bases/season.2005.desc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchDBMS::DescriptorPath(c.base), std::filesystem::path(c.descriptor)) << c.base;
    }
}

std::string readBytes(const std::filesystem::path& file) {
    return testing::ReadFileContent(file);
}

TEST(MatchDBMSOnDiskTest, SaveAsWritesWhatLoadsBackIdentically) {
    const testing::TemporaryDirectory folder;
    LocalFileSystem disk;
    ScreenSink sink;
    const std::filesystem::path original = folder.path() / "base.txt";
    const std::filesystem::path copy = folder.path() / "copy.txt";
    std::ofstream(original, std::ios::binary) << threeRecords("\n");

    MatchDBMS first(sink, disk);
    first.SetDataBaseName(original.string());
    ASSERT_EQ(first.Load().code, 0);
    ASSERT_EQ(first.SaveAs(copy.string()), 0);
    EXPECT_EQ(readBytes(copy), threeRecords("\r\n"));

    MatchDBMS second(sink, disk);
    second.SetDataBaseName(copy.string());
    ASSERT_EQ(second.Load().code, 0);
    EXPECT_EQ(fieldsOf(second.records()), fieldsOf(first.records()));

    // A folder that does not exist: the message, and nothing created.
    sink.take();
    const std::filesystem::path nowhere = folder.path() / "missing" / "copy.txt";
    EXPECT_EQ(second.SaveAs(nowhere.string()), -1);
    EXPECT_EQ(sink.take(), Lines{kCouldNotSave});
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
}

// The real data base files were written with the same nine lines and CR LF, so a
// load and save gives them back byte for byte.
TEST(MatchDBMSOnDiskTest, RealDataBaseSurvivesALoadAndSave) {
    // The copy of the real sample base that ships with the program.
    const std::filesystem::path original = std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt";
    ASSERT_TRUE(std::filesystem::exists(original)) << original;

    const testing::TemporaryDirectory folder;
    LocalFileSystem disk;
    ScreenSink sink;
    MatchDBMS dbms(sink, disk);
    dbms.SetDataBaseName(original.string());
    ASSERT_EQ(dbms.Load().code, 0);
    EXPECT_EQ(dbms.records().size(), 760U);
    ASSERT_EQ(dbms.SaveAs((folder.path() / "sample.txt").string()), 0);
    EXPECT_EQ(readBytes(folder.path() / "sample.txt"), readBytes(original));
}

// A base too large for the memory is read beside the old one: running out of
// memory is an unreadable file, and the records held before stay.
TEST_F(MatchDBMSTest, RunningOutOfMemoryWhileLoadingKeepsTheOldRecords) {
    const std::unique_ptr<MatchDBMS> dbms = loadedBase();
    const auto before = dbms->records().size();
    sink.take();
    files.outOfMemory = true;
    dbms->SetDataBaseName("huge.txt");
    sink.take();
    const LoadResult result = dbms->Load();
    EXPECT_EQ(result.code, -1);
    EXPECT_EQ(result.message, "DBMS Error : Could not load dbase file");
    EXPECT_EQ(sink.take(), Lines{"DBMS Error : Could not load dbase file"});
    EXPECT_EQ(dbms->records().size(), before);
    EXPECT_FALSE(dbms->categories().empty());
}

}  // namespace
}  // namespace karvola
