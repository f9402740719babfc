#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "LineSources.h"
#include "support/FileContent.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"

// The terminal library under the line editor (libtinfo) keeps a few bytes of the
// terminal descriptions that the editors of these tests read until the process
// ends; LeakSanitizer is told they are not ours.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name LeakSanitizer looks for
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libtinfo.so\n";
}

namespace karvola::cli {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using karvola::testing::SaveFault;

// The history file as the line editor writes it.
constexpr const char* kOldHistory = "_HiStOrY_V2_\nold\\040line\n";

// karvola-cli's command history, saved after every typed line and once more at
// the end, under every fault of the table: the old history stays byte for byte
// with nothing beside it, and the user is told once, not after every line.
class CommandHistoryFaults : public ::testing::TestWithParam<SaveFault> {
protected:
    [[nodiscard]] fs::path history() const { return home.path() / "karvola_history"; }

    karvola::testing::TemporaryDirectory home;
    karvola::testing::FaultyFileSystem files;
    Lines told;
};

TEST_P(CommandHistoryFaults, KeepTheOldHistoryAndTellItOnce) {
    const karvola::testing::SaveFaultScene scene(GetParam(), files, history(), kOldHistory);
    std::optional<EditLineSource> editor;
    editor.emplace(">", history(), files, [this](const std::string& text) { told.push_back(text); });
    scene.save([&] {
        editor->rememberLine("=1+1");
        editor->rememberLine("=2+2");
        editor.reset();  // the last save, at the end of the run
    });
    EXPECT_EQ(told, Lines{"could not save the command history to " + history().string()});
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, CommandHistoryFaults, ::testing::ValuesIn(karvola::testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

// A save that works in between makes the next failure worth telling again.
TEST(CommandHistory, AFailureIsToldAgainAfterASaveThatWorked) {
    const karvola::testing::TemporaryDirectory home;
    karvola::testing::FaultyFileSystem files;
    Lines told;
    const fs::path history = home.path() / "karvola_history";
    {
        EditLineSource editor(">", history, files, [&told](const std::string& text) { told.push_back(text); });
        files.refuseReplacing = true;
        editor.rememberLine("first");
        editor.rememberLine("second");
        files.heal();
        editor.rememberLine("third");
        EXPECT_NE(karvola::testing::ReadFileContent(history).find("third"), std::string::npos);
        files.refuseReplacing = true;
        editor.clearHistory();
        files.heal();
    }
    const std::string failure = "could not save the command history to " + history.string();
    EXPECT_EQ(told, (Lines{failure, failure}));
    // The last save, at the end, worked: the cleared history.
    EXPECT_EQ(karvola::testing::ReadFileContent(history).find("third"), std::string::npos);
}

}  // namespace
}  // namespace karvola::cli
