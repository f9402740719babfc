// The folders of ClientApp form layers: every folder may include from the ones
// below it and none may include, directly or through others, from itself. A
// subsystem and its ui/ folder count as two folders. The test prints the
// folder graph it found, so a failure shows the loop to break.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Graph = std::map<std::string, std::set<std::string>>;

const fs::path kSources = fs::path(KARVOLA_SOURCE_DIR) / "ClientApp";

// The folder of a file or an include path, relative to ClientApp: "terminal/ui".
std::string FolderOf(const fs::path& relative) {
    return relative.parent_path().generic_string();
}

// Folder -> folders its files include from, for the project's own headers only.
Graph ReadFolderGraph() {
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    Graph graph;
    for (const auto& entry : fs::recursive_directory_iterator(kSources)) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
        const std::string from = FolderOf(fs::relative(entry.path(), kSources));
        graph[from];
        std::ifstream file(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(file, line)) {
            if (!std::regex_search(line, match, include)) continue;
            const fs::path included = match[1].str();
            if (!fs::exists(kSources / included)) continue;  // a header beside the file, or not ours
            const std::string to = FolderOf(included);
            if (to != from) graph[from].insert(to);
        }
    }
    return graph;
}

// A path that leads from a folder back to itself, or nothing.
std::vector<std::string> FindLoop(const Graph& graph) {
    enum class Mark { None, OnPath, Done };
    std::map<std::string, Mark> marks;
    std::vector<std::string> path;
    std::vector<std::string> loop;
    const auto visit = [&](const auto& self, const std::string& folder) -> bool {
        marks[folder] = Mark::OnPath;
        path.push_back(folder);
        const auto edges = graph.find(folder);
        if (edges != graph.end()) {
            for (const std::string& next : edges->second) {
                if (marks[next] == Mark::OnPath) {
                    loop.assign(std::find(path.begin(), path.end(), next), path.end());
                    loop.push_back(next);
                    return true;
                }
                if (marks[next] == Mark::None && self(self, next)) return true;
            }
        }
        path.pop_back();
        marks[folder] = Mark::Done;
        return false;
    };
    for (const auto& [folder, edges] : graph) {
        if (marks[folder] == Mark::None && visit(visit, folder)) return loop;
    }
    return {};
}

std::string Joined(const std::vector<std::string>& folders) {
    std::string text;
    for (const std::string& folder : folders) text += (text.empty() ? "" : " -> ") + folder;
    return text;
}

TEST(FolderDependencies, NoFolderIncludesFromItselfThroughOthers) {
    const Graph graph = ReadFolderGraph();
    ASSERT_TRUE(graph.count("common") == 1 && graph.count("workstation") == 1) << "ClientApp not found at " << kSources;
    for (const auto& [folder, edges] : graph) {
        std::cout << folder << " ->";
        for (const std::string& to : edges) std::cout << ' ' << to;
        std::cout << '\n';
    }
    const std::vector<std::string> loop = FindLoop(graph);
    EXPECT_TRUE(loop.empty()) << "include loop: " << Joined(loop);
}

// The bottom folders serve everyone and use nobody; the assembly is used by
// windows only, never by a subsystem's core.
TEST(FolderDependencies, BottomAndTopStayInTheirPlaces) {
    const Graph graph = ReadFolderGraph();
    EXPECT_TRUE(graph.at("common").empty())
        << "common includes from " << Joined({graph.at("common").begin(), graph.at("common").end()});
    for (const std::string& to : graph.at("common/ui")) EXPECT_EQ(to, "common") << "common/ui includes from " << to;
    for (const auto& [folder, edges] : graph) {
        const bool isWindow = folder.ends_with("/ui") || folder == "ui";
        if (!isWindow && folder != "workstation") {
            EXPECT_EQ(edges.count("workstation"), 0U) << folder << " includes the assembly";
        }
    }
}

}  // namespace
