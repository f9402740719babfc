#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/ChangeObserver.h"
#include "common/FileSystem.h"
#include "common/OptimizationFlags.h"
#include "common/TerminalSink.h"
#include "config/MatchConfig.h"
#include "database/MatchDBMS.h"
#include "database/ResearchDomainModel.h"

namespace karvola {

// The data base the program works on, with what the General group shows of it
// (its name, its number of settled matches, the bookmakers of its descriptor),
// and what the File menu does with it: open, save, save as, export.
class OpenDataBase final {
public:
    static constexpr const char* kNoDatabaseLoaded = "No database loaded";

    OpenDataBase(TerminalSink& sink, FileSystem& files, MatchConfig& config, ResearchDomainModel& researchDomain,
                 const OptimizationFlags& flags, ChangeObserver& observer);

    OpenDataBase(const OpenDataBase&) = delete;
    OpenDataBase& operator=(const OpenDataBase&) = delete;

    // At start-up, first: names the configured default base, or the given one
    // (the configuration then stays as it is).
    void nameAtStartUp(const std::optional<std::string>& file);
    // Then, once the bookmaker directory is in: loads the base named.
    LoadResult loadAtStartUp();
    // File > Load Data Base... once a file was chosen; refused while optimizing.
    LoadResult open(const std::string& file);
    // The save offered when closing: "dBase is already saved." when nothing
    // changed, else a save under its name. False when it has no name yet (the
    // front end then asks for one and calls saveAs).
    bool save();
    // 0 saved: the name label and the default base follow the new name.
    int saveAs(const std::string& path);
    void exportAs30(const std::string& path);

    [[nodiscard]] const MatchDBMS& records() const { return m_dataBase; }
    [[nodiscard]] bool isModified() const { return m_dataBase.IsModified(); }
    [[nodiscard]] bool hasName() const { return m_dataBase.HasDataBaseName(); }
    [[nodiscard]] const std::string& fileName() const { return m_dataBase.fileName(); }
    // Marks the base as changed under a new name, as loading does before it reads.
    void rename(const std::string& name) { m_dataBase.SetDataBaseName(name); }

    // What the General group shows.
    [[nodiscard]] const std::string& nameLabel() const { return m_nameLabel; }
    [[nodiscard]] bool isLoaded() const { return m_nameLabel != kNoDatabaseLoaded; }
    [[nodiscard]] int size() const { return m_size; }
    [[nodiscard]] const std::vector<std::string>& bookmakers() const { return m_bookmakers; }

private:
    void loadBookmakers(const std::string& dataBaseFile);

    TerminalSink& m_sink;
    FileSystem& m_files;
    MatchConfig& m_config;
    ResearchDomainModel& m_researchDomain;
    const OptimizationFlags& m_flags;
    ChangeObserver& m_observer;
    MatchDBMS m_dataBase;
    std::string m_nameLabel = kNoDatabaseLoaded;
    std::string m_startUpName;  // the base named at start-up, until it is loaded
    int m_size = 0;
    std::vector<std::string> m_bookmakers;
};

}  // namespace karvola
