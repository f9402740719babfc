#pragma once

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "support/FaultyFileSystem.h"

namespace karvola::testing {

// Lines as the data source and the data base write them, each ended by CR LF.
inline std::string CrLfLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// One data source record: start time, teams, category parts, goals, then
// offers of four lines each (name, 1, X, 2), then "####".
inline std::string SourceRecord(std::string_view time, std::string_view team1, std::string_view team2,
                                std::string_view home, std::string_view away,
                                std::initializer_list<std::string_view> offers) {
    std::string text = CrLfLines({time, team1, team2, "Premier League", "England", home, away});
    for (const std::string_view line : offers) {
        text += line;
        text += "\r\n";
    }
    return text + "####\r\n";
}

// The file names in a folder, sorted: what a conversion left behind.
inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace karvola::testing
