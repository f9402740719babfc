#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "database/MatchDBMS.h"
#include "database/ResearchDomainBuilder.h"

namespace karvola::bench {

// The real europe5 data base: from KARVOLA_SHARED_DATA when set, else from the
// shared folder the build names.
inline std::filesystem::path Europe5Path() {
    std::filesystem::path shared;
    if (const char* variable = std::getenv("KARVOLA_SHARED_DATA"); variable != nullptr && variable[0] != '\0') {
        shared = variable;
    } else {
        shared = KARVOLA_SHARED_DATA_DIR;
    }
    return shared / "database" / "europe5.txt";
}

// Its research domain after struct *, loaded as the program loads it; nothing
// when the base cannot be read.
inline std::optional<ResearchDomain> LoadEurope5Domain() {
    class QuietSink final : public TerminalSink {
    public:
        void appendLine(std::string_view) override {}
        void clearScreen() override {}
    } sink;
    LocalFileSystem files;
    MatchDBMS dbms(sink, files);
    dbms.SetDataBaseName(Europe5Path().string());
    if (!dbms.Load().loaded()) return std::nullopt;
    const std::vector<std::string> masks = {"*"};
    return BuildResearchDomainByMasks(dbms.records(), masks).domain;
}

}  // namespace karvola::bench
