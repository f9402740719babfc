#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/RecordingSink.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"
#include "wizard/ConversionFixtures.h"
#include "wizard/DataBaseCreation.h"
#include "wizard/FootballDataImport.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using testing::SaveFault;
using testing::WriteFileContent;

constexpr const char* kNoBase = "Unable to create data base file";
constexpr const char* kBaseNotWritten = "Unable to write data base file";
constexpr const char* kNoDescriptor = "Unable to create data base descriptor file";
constexpr const char* kOldBase = "old base\r\n";
constexpr const char* kOldDescriptor = "OLD\r\n";

// Which of the pair a fault hits: the data base (or data source) or its descriptor.
enum class Hit { Base, Descriptor };

struct PairFault {
    Hit hit;
    SaveFault fault;
};

std::vector<PairFault> PairFaults() {
    std::vector<PairFault> faults;
    for (const Hit hit : {Hit::Base, Hit::Descriptor}) {
        for (const SaveFault fault : testing::AllSaveFaults()) faults.push_back({hit, fault});
    }
    return faults;
}

std::string PairFaultName(const ::testing::TestParamInfo<PairFault>& info) {
    return std::string(info.param.hit == Hit::Base ? "Base" : "Descriptor") + testing::NameOf(info.param.fault);
}

// The wizard's two files, each under every fault of the table: the creation
// fails with the text of its "Fatal Error" box, the old base and the old
// descriptor stay byte for byte with nothing beside them, and the terminal gets
// no "successful created" line. The descriptor is written before the base takes
// its name, so a descriptor that cannot be written costs the user nothing.
class DataBaseCreationFaults : public ::testing::TestWithParam<PairFault> {
protected:
    DataBaseCreationFaults() {
        WriteFileContent(folder.path() / "source.txt",
                         testing::SourceRecord("1239062400", "Arsenal", "Chelsea", "2", "1",
                                               {"WH", "1.6", "3.3", "6.0", "B365", "1.5", "3.4", "6.5"}));
        fs::create_directory(folder.path() / "bases");
        request.sourceFileName = (folder.path() / "source.txt").string();
        request.baseFileName = base().string();
        request.bookmakers = {"WH", "B365"};
    }

    [[nodiscard]] fs::path base() const { return folder.path() / "bases" / "top.txt"; }
    [[nodiscard]] fs::path descriptor() const { return folder.path() / "bases" / "top.desc"; }

    // The box's text: the first of the two files that the fault stops.
    [[nodiscard]] const char* expectedError() const {
        const SaveFault fault = GetParam().fault;
        // The file size limit and the read-only folder stop the base, written first, too.
        if (GetParam().hit == Hit::Base || fault == SaveFault::WriteErrorAfterOpen ||
            fault == SaveFault::ReadOnlyFolder) {
            return testing::TemporaryFileIsMade(fault) ? kBaseNotWritten : kNoBase;
        }
        return kNoDescriptor;
    }

    testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    testing::FixedClock clock{1'700'000'000};
    testing::RecordingSink terminal;
    DataBaseCreationRequest request;
    std::atomic<bool> stop = false;
};

TEST_P(DataBaseCreationFaults, LeaveTheOldBaseAndDescriptor) {
    const bool baseHit = GetParam().hit == Hit::Base;
    WriteFileContent(baseHit ? descriptor() : base(), baseHit ? kOldDescriptor : kOldBase);
    const testing::SaveFaultScene scene(GetParam().fault, files, baseHit ? base() : descriptor(),
                                        baseHit ? kOldBase : kOldDescriptor);

    DataBaseCreationResult result;
    scene.save([&] { result = RunConversion(request, stop, {}, terminal, files, clock); });
    EXPECT_EQ(result.outcome, DataBaseCreationResult::Outcome::Failed);
    EXPECT_EQ(result.error, expectedError());
    EXPECT_TRUE(terminal.lines().empty());
    EXPECT_EQ(files.commits(), 0);
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, DataBaseCreationFaults, ::testing::ValuesIn(PairFaults()), PairFaultName);

// The football-data import's data source and descriptor, the same way: the
// error names the file that could not be written, and the old pair stays.
class FootballDataImportFaults : public ::testing::TestWithParam<PairFault> {
protected:
    FootballDataImportFaults() {
        WriteFileContent(folder.path() / "E0.csv",
                         "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A\r\n"
                         "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19\r\n");
        fs::create_directory(folder.path() / "sources");
    }

    [[nodiscard]] fs::path source() const { return folder.path() / "sources" / "source.txt"; }
    [[nodiscard]] fs::path descriptor() const { return folder.path() / "sources" / "source.desc"; }

    [[nodiscard]] std::string expectedError() const {
        const SaveFault fault = GetParam().fault;
        const bool sourceStops = GetParam().hit == Hit::Base || fault == SaveFault::WriteErrorAfterOpen ||
                                 fault == SaveFault::ReadOnlyFolder;
        return "Cannot write \"" + (sourceStops ? source() : descriptor()).string() + "\"";
    }

    testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
};

TEST_P(FootballDataImportFaults, LeaveTheOldDataSourceAndDescriptor) {
    const bool sourceHit = GetParam().hit == Hit::Base;
    WriteFileContent(sourceHit ? descriptor() : source(), sourceHit ? kOldDescriptor : "old source\r\n");
    const testing::SaveFaultScene scene(GetParam().fault, files, sourceHit ? source() : descriptor(),
                                        sourceHit ? "old source\r\n" : kOldDescriptor);

    std::string error;
    scene.save([&] {
        try {
            ImportFootballData(files, {folder.path() / "E0.csv"}, source());
            error = "no error";
        } catch (const FootballDataImportError& failure) {
            error = failure.what();
        }
    });
    EXPECT_EQ(error, expectedError());
    EXPECT_EQ(files.commits(), 0);
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, FootballDataImportFaults, ::testing::ValuesIn(PairFaults()), PairFaultName);

}  // namespace
}  // namespace karvola
