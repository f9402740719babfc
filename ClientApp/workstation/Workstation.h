#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Optimizer.h"
#include "analysis/Simulation.h"
#include "analysis/StrategyReports.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "config/MatchConfig.h"
#include "database/MatchDBMS.h"
#include "database/ResearchDomainModel.h"
#include "terminal/Terminal.h"
#include "common/TerminalSink.h"

namespace karvola {

struct WorkstationSettings {
    std::filesystem::path applicationDirectory;
    char decimalSeparator = '.';
};

// One row of the category dialog.
struct CategoryChoice {
    std::string name;
    std::uint32_t count = 0;
    bool marked = false;
};

// A check of the general properties dialog that failed: the message box's
// caption and text, and the edit that gets the focus.
struct PropertiesError {
    enum class Field { Infimum, Supremum, Bnd };
    std::string caption;
    std::string text;
    Field focus = Field::Bnd;
};

// One row of the research-domain preview.
struct PreviewRow {
    std::string number;
    std::string date;
    std::string category;
    std::string teams;
    std::string odds1;
    std::string odds0;
    std::string odds2;
    std::string result;
};

// The main window without its widgets: the configuration, the data base, the
// research domain and the terminal, with the operations behind the window's menus
// and dialogs. The desktop window and the headless terminal both drive it.
class Workstation final {
public:
    static constexpr const char* kNoDatabaseLoaded = "No database loaded";

    // Reads the configuration and writes the data base's release-date line.
    Workstation(WorkstationSettings settings, TerminalSink& sink, FileSystem& files, const Clock& clock);

    Workstation(const Workstation&) = delete;
    Workstation& operator=(const Workstation&) = delete;

    // The start-up sequence: names and loads the default data base (or the given
    // one, leaving the configuration as it is) and writes the banner. Returns the
    // load's result.
    int StartUp(const std::optional<std::string>& dataBase = std::nullopt);

    // File > Load Data Base... once a file was chosen.
    int LoadDataBase(const std::string& file);
    // The save offered when closing: "dBase is already saved." when nothing
    // changed, else Save. False when the data base has no name yet (the window
    // then asks for one and calls SaveDataBaseAs).
    bool SaveDataBaseMenuItemClick();
    // The save dialog's path: SaveAs, then on success the name label and the default base.
    int SaveDataBaseAs(const std::string& path);
    void ExportDataBase30(const std::string& path);

    // The category dialog: its rows, and OK with the marked names in list order.
    [[nodiscard]] std::vector<CategoryChoice> FillCategories() const;
    void ChooseCategories(const std::vector<std::string>& markedNames);

    // OK in the general properties dialog with the texts of its three edits.
    std::optional<PropertiesError> SetupGeneralProperties(const std::string& infimum, const std::string& supremum,
                                                          const std::string& bnd);

    [[nodiscard]] std::vector<PreviewRow> PreviewResearchDomain() const;

    enum class SaveAnswer { Yes, No, Cancel };
    // The message boxes of the close query: the window shows them, the headless
    // terminal prints them.
    class CloseQueryDialogs {
    public:
        virtual ~CloseQueryDialogs() = default;
        virtual void refuse(std::string_view caption, std::string_view text) = 0;
        virtual SaveAnswer askToSave(std::string_view caption, std::string_view text) = 0;
        // The save dialog for a base without a file name; nothing when cancelled.
        virtual std::optional<std::string> chooseSaveFile(const std::filesystem::path& initialDirectory) = 0;
    };
    // Whether the window may close now: refused while optimizing; the save
    // question only when the data base changed.
    bool FormCloseQuery(CloseQueryDialogs& dialogs);

    // The end of the program: writes the configuration. False when it could not.
    bool SaveConfiguration();

    // The display options of the result and pe_result reports, with the user's separator.
    [[nodiscard]] ReportFormat reportFormat() const;
    // What the last sim or pe_sim left for the Bets Preview and the chart.
    [[nodiscard]] const SimulationRecord& simulation() const { return m_simulation; }
    // Called after every sim and pe_sim with what they left for the Bets Preview and
    // the chart: completed, the window shows both; stopped by an error, it only
    // refreshes them (the chart was emptied, the rows written so far stay).
    void setSimulationCallback(std::function<void(bool completed)> callback) {
        m_onSimulation = std::move(callback);
    }

    [[nodiscard]] Optimizer& optimizer() { return m_optimizer; }
    [[nodiscard]] Terminal& terminal() { return m_terminal; }
    [[nodiscard]] MatchDBMS& dataBase() { return m_dataBase; }
    [[nodiscard]] const MatchDBMS& dataBase() const { return m_dataBase; }
    [[nodiscard]] MatchConfig& config() { return m_config; }
    [[nodiscard]] const ResearchDomainModel& researchDomain() const { return m_researchDomain; }
    [[nodiscard]] ResearchDomainModel& researchDomain() { return m_researchDomain; }
    [[nodiscard]] bool IsOptimizing() const { return m_terminal.flags().IsOptimizing(); }
    [[nodiscard]] const std::filesystem::path& applicationDirectory() const { return m_settings.applicationDirectory; }

    // What the General group shows besides the research domain.
    [[nodiscard]] const std::string& dataBaseNameLabel() const { return m_dataBaseNameLabel; }
    [[nodiscard]] int dataBaseSize() const { return m_dataBaseSize; }
    [[nodiscard]] const std::vector<std::string>& bookmakers() const { return m_bookmakers; }

private:
    void attachCommands();
    void attachStrategyCommands();
    [[nodiscard]] std::optional<std::span<const basic_record_t>> simulationRange() const;
    void afterLoadUpdate(const std::string& file);
    void loadBookmakers(const std::string& dataBaseFile);

    WorkstationSettings m_settings;
    TerminalSink& m_sink;
    FileSystem& m_files;
    MatchConfig m_config;
    MatchDBMS m_dataBase;
    ResearchDomainModel m_researchDomain;
    Terminal m_terminal;
    SimulationRecord m_simulation;
    std::function<void(bool completed)> m_onSimulation;
    Optimizer m_optimizer;  // after the terminal: its worker uses the flags and the sink
    std::string m_dataBaseNameLabel = kNoDatabaseLoaded;
    int m_dataBaseSize = 0;
    std::vector<std::string> m_bookmakers;
};

}  // namespace karvola
