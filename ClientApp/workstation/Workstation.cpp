#include "workstation/Workstation.h"

#include "terminal/StartupBanner.h"
#include "tools/OddsCalculators.h"

namespace karvola {

Workstation::Workstation(WorkstationSettings settings, TerminalSink& sink, FileSystem& files, const Clock& clock,
                         HttpClient& http)
    : m_settings(std::move(settings)),
      m_sink(sink),
      m_files(files),
      m_http(http),
      m_config(m_settings.applicationDirectory, files, clock),
      m_terminal(sink, m_observer, m_settings.decimalSeparator),
      m_researchDomain(m_observer),
      m_dataBase(sink, files, m_config, m_researchDomain, m_terminal.flags(), m_observer),
      m_domainCommands(sink, m_dataBase.records(), m_researchDomain, m_terminal.flags(), m_terminal.stopRequest()),
      m_properties(m_researchDomain, m_terminal.flags(), m_settings.decimalSeparator),
      m_optimizer(m_terminal.flags(), sink, m_observer),
      m_strategy(sink, m_researchDomain, m_config, m_optimizer, m_observer, m_terminal.stopRequest(),
                 m_settings.decimalSeparator),
      m_validation(sink, m_researchDomain, m_strategy, m_optimizer, m_terminal.flags()),
      m_upcoming(sink, m_config, clock, http, files, m_settings.applicationDirectory, m_settings.service.host,
                 m_researchDomain, m_dataBase) {
    m_researchDomain.setBnd(m_config.GetBNDValue());
    CommandDispatcher& dispatcher = m_terminal.dispatcher();
    RegisterOddsCalculators(dispatcher);
    m_domainCommands.Register(dispatcher);
    m_strategy.Register(dispatcher);
    m_upcoming.Register(dispatcher);
}

// A search still running reports to nobody once the workstation goes.
Workstation::~Workstation() {
    m_observer.attach(nullptr);
}

LoadResult Workstation::startUp(const std::optional<std::string>& dataBase) {
    beginStartUp(dataBase);
    return finishStartUp(downloadDirectory());
}

void Workstation::beginStartUp(const std::optional<std::string>& dataBase) {
    m_sink.appendLine("Initializing....");
    for (const auto& warning : startUpWarnings()) m_sink.appendLine(warning);
    m_sink.repaint();
    m_dataBase.nameAtStartUp(dataBase);
    // Shown before the wait: the service may take its time to answer.
    m_sink.appendLine("Downloading sportsbooks informations from remote host " + serviceHost().name() + " ...");
    m_sink.repaint();
}

AffiliateLinks Workstation::downloadDirectory() const {
    return AffiliateLinks(m_settings.applicationDirectory, m_http, m_settings.service.host, m_files);
}

LoadResult Workstation::finishStartUp(AffiliateLinks directory) {
    m_directory = std::move(directory);
    if (const auto warning = directoryWarning()) m_sink.appendLine(*warning);
    LoadResult loaded = m_dataBase.loadAtStartUp();
    for (const auto& line : StartupBannerLines()) m_sink.appendLine(line);
    return loaded;
}

std::vector<std::string> Workstation::startUpWarnings() const {
    std::vector<std::string> warnings = m_config.loadProblems();
    if (m_settings.service.warning) warnings.push_back("Warning: " + *m_settings.service.warning);
    return warnings;
}

std::optional<std::string> Workstation::directoryWarning() const {
    const auto& cache = m_directory.unsavedCache();
    if (!cache) return std::nullopt;
    return "Warning: Could not save sportsbooks informations to " + cache->string() +
           ": a run without the remote host will show the older ones.";
}

bool Workstation::mayClose(CloseQueryDialogs& dialogs) {
    if (IsOptimizing()) {
        dialogs.refuse("Exit Refuse",
                       "Optimization in progress...\n Please type 'break' in command line to stop the engine.");
        return false;
    }
    if (!m_dataBase.isModified()) return true;
    switch (dialogs.askToSave("Confirmation...", "Data Base has been changed. Do you want to save it?")) {
        case SaveAnswer::Cancel:
            return false;
        case SaveAnswer::Yes:
            if (!m_dataBase.save()) {
                if (const auto path = dialogs.chooseSaveFile(m_config.GetWorkDirectory())) m_dataBase.saveAs(*path);
            }
            return !m_dataBase.isModified();
        case SaveAnswer::No:
            break;
    }
    return true;
}

bool Workstation::saveConfiguration() {
    m_config.SetBNDValue(m_researchDomain.bnd());
    if (m_config.SaveConfiguration()) return true;
    m_sink.appendLine("Error : Could not save configuration!");
    return false;
}

}  // namespace karvola
