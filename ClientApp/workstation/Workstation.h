#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Optimizer.h"
#include "analysis/StrategyCommands.h"
#include "common/ChangeObserver.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "config/MatchConfig.h"
#include "database/GeneralProperties.h"
#include "database/OpenDataBase.h"
#include "database/ResearchDomainCommands.h"
#include "database/ResearchDomainModel.h"
#include "directory/AffiliateLinks.h"
#include "terminal/Terminal.h"
#include "upcoming/UpcomingCommands.h"
#include "validation/ValidationCommands.h"
#include "web/HttpClient.h"
#include "web/ServiceHost.h"

namespace karvola {

struct WorkstationSettings {
    std::filesystem::path applicationDirectory;
    char decimalSeparator = '.';
    ServiceHostChoice service;  // the web service every exchange talks to
};

// The program without its windows: the subsystems wired together, each with
// its commands registered once. The desktop window and the headless terminal
// both drive it through its parts and learn of changes through one observer.
class Workstation final {
public:
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

    // Reads the configuration; the data base writes its release-date line. The
    // HTTP client reaches the web service.
    Workstation(WorkstationSettings settings, TerminalSink& sink, FileSystem& files, const Clock& clock,
                HttpClient& http);
    ~Workstation();

    Workstation(const Workstation&) = delete;
    Workstation& operator=(const Workstation&) = delete;

    // The one observer of every part; nullptr detaches. After detaching, no
    // report reaches the old observer, from any thread.
    void attachObserver(ChangeObserver* observer) { m_observer.attach(observer); }

    // The start-up sequence: the three steps below in a row.
    LoadResult startUp(const std::optional<std::string>& dataBase = std::nullopt);
    // Writes the first start-up lines and names the default data base (or the
    // given one, leaving the configuration as it is); the download line last.
    void beginStartUp(const std::optional<std::string>& dataBase = std::nullopt);
    // The bookmaker directory from the service, else from its cache. Only reads
    // the settings and uses the HTTP client and the file system, so a window
    // may run it on a worker thread between the other two steps.
    [[nodiscard]] AffiliateLinks downloadDirectory() const;
    // Keeps the directory, loads the data base named and writes the banner.
    LoadResult finishStartUp(AffiliateLinks directory);

    // Whether the program may end now: refused while optimizing; the save
    // question only when the data base changed.
    bool mayClose(CloseQueryDialogs& dialogs);
    // The end of the program: writes the configuration. False when it could not.
    bool saveConfiguration();

    [[nodiscard]] bool IsOptimizing() const { return m_terminal.flags().IsOptimizing(); }
    [[nodiscard]] const std::filesystem::path& applicationDirectory() const { return m_settings.applicationDirectory; }
    [[nodiscard]] char decimalSeparator() const { return m_settings.decimalSeparator; }
    [[nodiscard]] const ServiceHost& serviceHost() const { return m_settings.service.host; }
    // What the start-up writes before anything else: the configuration's
    // problems and a service host from the environment that was not one.
    [[nodiscard]] std::vector<std::string> startUpWarnings() const;
    // What finishStartUp writes first when the downloaded directory could not
    // replace its cache; nothing otherwise.
    [[nodiscard]] std::optional<std::string> directoryWarning() const;

    [[nodiscard]] Terminal& terminal() { return m_terminal; }
    [[nodiscard]] MatchConfig& config() { return m_config; }
    [[nodiscard]] OpenDataBase& dataBase() { return m_dataBase; }
    [[nodiscard]] const OpenDataBase& dataBase() const { return m_dataBase; }
    [[nodiscard]] ResearchDomainModel& researchDomain() { return m_researchDomain; }
    [[nodiscard]] const ResearchDomainModel& researchDomain() const { return m_researchDomain; }
    [[nodiscard]] ResearchDomainCommands& domainCommands() { return m_domainCommands; }
    [[nodiscard]] GeneralProperties& properties() { return m_properties; }
    [[nodiscard]] StrategyCommands& strategy() { return m_strategy; }
    [[nodiscard]] const StrategyCommands& strategy() const { return m_strategy; }
    [[nodiscard]] Optimizer& optimizer() { return m_optimizer; }
    [[nodiscard]] ValidationCommands& validation() { return m_validation; }
    [[nodiscard]] UpcomingCommands& upcoming() { return m_upcoming; }
    [[nodiscard]] const UpcomingCommands& upcoming() const { return m_upcoming; }
    // Empty until the start-up has finished.
    [[nodiscard]] const AffiliateLinks& directory() const { return m_directory; }
    // A directory that came after the start-up went on without it.
    void replaceDirectory(AffiliateLinks directory) { m_directory = std::move(directory); }

private:
    WorkstationSettings m_settings;
    TerminalSink& m_sink;
    FileSystem& m_files;
    HttpClient& m_http;
    ObserverSlot m_observer;  // first: every part reports to it
    MatchConfig m_config;
    Terminal m_terminal;
    ResearchDomainModel m_researchDomain;
    OpenDataBase m_dataBase;
    ResearchDomainCommands m_domainCommands;
    GeneralProperties m_properties;
    Optimizer m_optimizer;  // after the terminal: its worker uses the flags and the sink
    StrategyCommands m_strategy;
    ValidationCommands m_validation;
    UpcomingCommands m_upcoming;
    AffiliateLinks m_directory;
};

}  // namespace karvola
