// The folders of ClientApp form layers, listed below from the bottom up: a
// subsystem's core includes from the cores below it, its ui/ folder from its own
// core, the cores below it and the windows below it. Nothing includes from a
// layer above, with the exceptions named (and explained) in kAllowedAgainstLayers.
// The front ends of app/ use ClientApp and the shared options, never each other.
// The tests print the folder graph they found, so a failure shows the arrow to
// remove or the layer to rethink.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Graph = std::map<std::string, std::set<std::string>>;

const fs::path kSources = fs::path(KARVOLA_SOURCE_DIR) / "ClientApp";
const fs::path kFrontEnds = fs::path(KARVOLA_SOURCE_DIR) / "app";

// The subsystems from the bottom up. The terminal's dispatcher sits low: every
// subsystem registers its commands with it; the assembly sits on top.
constexpr std::array<std::string_view, 13> kLayers = {
    "common", "expressions", "terminal", "config", "database", "analysis",    "validation",
    "web",    "directory",   "upcoming", "wizard", "tools",    "workstation",
};

// Includes that run against the layers on purpose, each with its reason.
const std::map<std::pair<std::string, std::string>, std::string> kAllowedAgainstLayers = {
    {{"analysis/ui", "validation"},
     "the bankroll chart shades the deepest drawdown, which the risk figures of a validation measure"},
};

// The folder of a file or an include path, relative to its root: "terminal/ui".
std::string FolderOf(const fs::path& relative) {
    return relative.parent_path().generic_string();
}

bool IsSource(const fs::directory_entry& entry) {
    const auto extension = entry.path().extension();
    return entry.is_regular_file() && (extension == ".h" || extension == ".cpp");
}

// The project's own includes of a file, as written.
std::vector<fs::path> IncludesOf(const fs::path& file) {
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<fs::path> included;
    std::ifstream stream(file);
    std::string line;
    std::smatch match;
    while (std::getline(stream, line)) {
        if (std::regex_search(line, match, include)) included.emplace_back(match[1].str());
    }
    return included;
}

// Folder -> folders its files include from, for ClientApp's own headers only.
Graph ReadFolderGraph() {
    Graph graph;
    for (const auto& entry : fs::recursive_directory_iterator(kSources)) {
        if (!IsSource(entry)) continue;
        const std::string from = FolderOf(fs::relative(entry.path(), kSources));
        graph[from];
        for (const fs::path& included : IncludesOf(entry.path())) {
            if (!fs::exists(kSources / included)) continue;  // a header beside the file, or not ours
            const std::string to = FolderOf(included);
            if (to != from) graph[from].insert(to);
        }
    }
    return graph;
}

// Front end -> what its files include from: "ClientApp" for the program's
// folders, another app/ folder's name for that folder's headers.
Graph ReadFrontEndGraph() {
    Graph graph;
    for (const auto& entry : fs::recursive_directory_iterator(kFrontEnds)) {
        if (!IsSource(entry)) continue;
        const std::string from = FolderOf(fs::relative(entry.path(), kFrontEnds));
        graph[from];
        for (const fs::path& included : IncludesOf(entry.path())) {
            if (fs::exists(entry.path().parent_path() / included)) continue;  // its own folder's
            if (fs::exists(kFrontEnds / included)) {
                if (FolderOf(included) != from) graph[from].insert(FolderOf(included));
            } else if (fs::exists(kSources / included)) {
                graph[from].insert("ClientApp");
            }
        }
    }
    return graph;
}

void Print(const Graph& graph) {
    for (const auto& [folder, edges] : graph) {
        std::cout << folder << " ->";
        for (const std::string& to : edges) std::cout << ' ' << to;
        std::cout << '\n';
    }
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

// A folder's place: the subsystem's layer, and whether it is the windows' half.
struct Place {
    std::ptrdiff_t layer = -1;
    bool window = false;
};

Place PlaceOf(const std::string& folder) {
    const bool window = folder.ends_with("/ui");
    const std::string subsystem = window ? folder.substr(0, folder.size() - 3) : folder;
    const auto found = std::find(kLayers.begin(), kLayers.end(), subsystem);
    return {found == kLayers.end() ? -1 : found - kLayers.begin(), window};
}

// Whether the layers let `from` include from `to`.
bool LayersAllow(const std::string& from, const std::string& to) {
    const Place source = PlaceOf(from);
    const Place target = PlaceOf(to);
    if (!target.window) return target.layer < source.layer || (source.window && target.layer == source.layer);
    return source.window && target.layer < source.layer;
}

TEST(FolderDependencies, NoFolderIncludesFromItselfThroughOthers) {
    const Graph graph = ReadFolderGraph();
    ASSERT_TRUE(graph.count("common") == 1 && graph.count("workstation") == 1) << "ClientApp not found at " << kSources;
    Print(graph);
    const std::vector<std::string> loop = FindLoop(graph);
    EXPECT_TRUE(loop.empty()) << "include loop: " << Joined(loop);
}

TEST(FolderDependencies, EveryFolderHasItsLayer) {
    for (const auto& [folder, edges] : ReadFolderGraph()) {
        EXPECT_GE(PlaceOf(folder).layer, 0) << folder << " is in no layer: give its subsystem a place in kLayers";
    }
}

TEST(FolderDependencies, IncludesFollowTheLayers) {
    const Graph graph = ReadFolderGraph();
    std::set<std::pair<std::string, std::string>> exceptionsSeen;
    for (const auto& [folder, edges] : graph) {
        for (const std::string& to : edges) {
            if (LayersAllow(folder, to)) continue;
            if (kAllowedAgainstLayers.count({folder, to}) == 1) {
                exceptionsSeen.insert({folder, to});
                continue;
            }
            ADD_FAILURE() << folder << " includes from " << to << ", which the layers put "
                          << (PlaceOf(to).window && !PlaceOf(folder).window ? "among the windows" : "above it");
        }
    }
    for (const auto& [edge, reason] : kAllowedAgainstLayers) {
        EXPECT_EQ(exceptionsSeen.count(edge), 1U)
            << edge.first << " no longer includes from " << edge.second << ": drop the exception";
    }
    EXPECT_LE(kAllowedAgainstLayers.size(), 1U) << "one include against the layers is a reason, more are a design";
}

// The rule itself, on a few folders: a wrong rule would let the tree drift silently.
TEST(FolderDependencies, TheLayerRuleReadsAsWritten) {
    struct Case {
        std::string from;
        std::string to;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {"database", "common", true},       {"common", "database", false},
        {"database/ui", "database", true},  {"database", "database/ui", false},
        {"database/ui", "common/ui", true}, {"common/ui", "database/ui", false},
        {"database/ui", "analysis", false}, {"workstation/ui", "analysis/ui", true},
        {"terminal", "workstation", false}, {"analysis", "terminal", true},
        {"config/ui", "config", true},      {"workstation", "workstation/ui", false},
    };
    for (const Case& c : cases) EXPECT_EQ(LayersAllow(c.from, c.to), c.allowed) << c.from << " -> " << c.to;
}

TEST(FolderDependencies, FrontEndsShareOnlyTheOptions) {
    const Graph graph = ReadFrontEndGraph();
    ASSERT_TRUE(graph.count("cli") == 1 && graph.count("options") == 1) << "app not found at " << kFrontEnds;
    Print(graph);
    for (const auto& [frontEnd, edges] : graph) {
        for (const std::string& to : edges) {
            const bool shared = to == "ClientApp" || (to == "options" && frontEnd != "options");
            EXPECT_TRUE(shared) << "app/" << frontEnd << " includes from app/" << to;
        }
    }
}

}  // namespace
