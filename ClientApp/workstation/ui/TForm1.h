#pragma once

#include <QMainWindow>
#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/QueuedCalls.h"
#include "terminal/ui/StatusScreenSink.h"
#include "tools/ui/AdvertLine.h"
#include "web/HttpClient.h"
#include "workstation/Workstation.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;

namespace karvola::ui {

class AdvertLine;
class BackgroundExchangeRunner;
class BookmakerListMenu;
class ClickableLabel;
class ChangeRelay;
class PathLabel;
class TerminalScreen;
class TAboutKarvolaForm;
class TDataBaseGeneratorWizardForm;
class FootballDataImportAction;
class TDataPreviewForm;
class TEnterUIDKeyForm;
class TGeneralEnviromentSettingsForm;
class TOptimizingChartForm;
class TResearchDomainSpecForm;
class TResultPeResultDisplayOptionsForm;
class TSetupGeneralPropertiesForm;
class TSimulationTableForm;
class TUpcomingMatchesDisplayForm;
class UIDKeyDialogPrompt;

struct MainWindowSettings {
    std::filesystem::path applicationDirectory;
    std::optional<std::string> dataBase;  // loaded at start instead of the configured one
    char decimalSeparator = '.';
    ServiceHostChoice service;
};

// What the window works through, each replaceable in tests.
struct MainWindowServices {
    FileSystem& files;
    const Clock& clock;
    MessageBoxes& boxes;
    HttpClient& http;  // the web service's exchanges; cancelled when the window goes
};

// The main window: a view over the Workstation. Typed lines, menu items and
// clicks become core calls; the labels and lists show the Workstation's state
// after each. The other windows are created with it and live as long as it does.
class TForm1 final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    // No larger than the window's design; the default size is what the contents ask for.
    static constexpr int kMinimumWidth = 890;
    static constexpr int kMinimumHeight = 599;
    // The research domain's group; the advert line adds its own height above it.
    static constexpr int kResearchDomainHeight = 190;
    // The terminal lines a result window opening over the window leaves in sight.
    static constexpr int kNewestLinesInSight = 8;
    // How long the start-up waits for the bookmaker directory before it goes
    // on with the copy of an earlier run: a service that never answers must
    // not hold the window.
    static constexpr std::chrono::milliseconds kDirectoryWait{3000};

    TForm1(MainWindowSettings settings, MainWindowServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    [[nodiscard]] QComboBox* commandLine() const { return m_commandLine; }
    [[nodiscard]] TerminalScreen* statusScreen() const { return m_statusScreen; }
    [[nodiscard]] QProgressBar* progressBar() const { return m_progressBar; }
    [[nodiscard]] Workstation& workstation() { return *m_workstation; }
    [[nodiscard]] TSetupGeneralPropertiesForm& generalProperties() const { return *m_generalProperties; }
    [[nodiscard]] TResearchDomainSpecForm& researchDomainSpec() const { return *m_researchDomainSpec; }
    [[nodiscard]] TDataPreviewForm& dataPreview() const { return *m_dataPreview; }
    [[nodiscard]] TSimulationTableForm& simulationTable() const { return *m_simulationTable; }
    [[nodiscard]] TOptimizingChartForm& optimizingChart() const { return *m_optimizingChart; }
    [[nodiscard]] TResultPeResultDisplayOptionsForm& displayOptions() const { return *m_displayOptions; }
    [[nodiscard]] TGeneralEnviromentSettingsForm& enviromentSettings() const { return *m_enviromentSettings; }
    [[nodiscard]] TUpcomingMatchesDisplayForm& upcomingMatches() const { return *m_upcomingMatches; }
    [[nodiscard]] TEnterUIDKeyForm& enterUIDKey() const { return *m_enterUIDKey; }
    [[nodiscard]] AdvertLine& advertLine() const { return *m_advertLine; }
    [[nodiscard]] TDataBaseGeneratorWizardForm& dataBaseWizard() const { return *m_dataBaseWizard; }
    [[nodiscard]] BookmakerListMenu& bookmakerMenu() const { return *m_bookmakerMenu; }
    [[nodiscard]] QWidget& researchDomainGroup() const { return *m_researchDomainGroup; }
    // The size the window opens with: room for the terminal's banner and
    // command list without wrapping, within the screen.
    [[nodiscard]] QSize defaultSize() const { return m_defaultSize; }
    // Whether the progress bar offers "Get wvector." (from start-up, and again
    // from the start of a search until its end).
    [[nodiscard]] bool offersGetWVector() const;

    // Menu and click handlers, public so that they can be driven like a user would.
    void CommandLineEnter(const QString& text);
    bool SaveStatusScreen(const std::filesystem::path& file);
    void SpeedButton1Click();
    void CompartmentInfimumClick();
    void CompartmentSupremumClick();
    void BNDClick();
    void GeneralPropertiesMenuItemClick();
    void PreviewResearchDomain1Click();
    void GetWVectorClick();
    void ShowBankrollChart();
    void ShowBettingPreview();
    void DisplayOptionsMenuItemClick();
    void EnviromentSettingsMenuItemClick();
    void LoadDataBaseMenuItemClick();
    void DatabaseGeneratorWizardClick();
    void ImportFootballDataMenuItemClick();
    [[nodiscard]] FootballDataImportAction& footballDataImport() const { return *m_footballDataImport; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    QWidget* buildGeneralGroup(QWidget* parent);
    QWidget* buildResearchDomainGroup(QWidget* parent);
    void buildMenus();
    void attachWindowCommands();
    void connectChanges();
    void ApplicationEvents1Idle();
    void runDataBaseWizard(const std::optional<std::string>& source);
    void directoryArrived(AffiliateLinks directory);
    void FormActivate(AffiliateLinks directory);
    void CommandLineKeyPress();
    void executeLine(const QString& text);
    void runTypedAhead();
    void attachUpcomingWindow();
    void SaveStatusScreenMenuItemClick();
    void ClearCommandLineHistoryClick();
    void About1Click();
    void OpenDocument(const char* fileName);
    void ShowGeneralProperties();
    void showSimulation(bool completed);
    void giveFocusToCommandLine();
    [[nodiscard]] QSize contentSize() const;
    // Where a result window opening over this one may go (screen coordinates):
    // the research domain and the terminal's older lines, never the newest
    // lines and the command line.
    [[nodiscard]] QRect coverableByResults() const;
    void refreshDataBase();
    void refreshResearchDomain();

    MainWindowSettings m_settings;
    QSize m_defaultSize;
    int m_generalWidth = 0;  // the General column's own width, at the default size
    FileSystem& m_files;
    MessageBoxes& m_boxes;
    HttpClient& m_http;
    // The bookmaker directory's download at start-up, off the window's thread.
    std::thread m_directoryDownload;
    bool m_startedUp = false;
    QueuedCalls* m_queuedCalls = new QueuedCalls(this);  // the download's end, back on the window's thread

    TerminalScreen* m_statusScreen = nullptr;
    QComboBox* m_commandLine = nullptr;
    PathLabel* m_dataBaseNameLabel = nullptr;
    QLabel* m_dataBaseSizeLabel = nullptr;
    QLabel* m_domainSizeLabel = nullptr;
    ClickableLabel* m_compartmentInfimum = nullptr;
    ClickableLabel* m_compartmentSupremum = nullptr;
    ClickableLabel* m_bnd = nullptr;
    QPlainTextEdit* m_restrictionsMemo = nullptr;
    QListWidget* m_categories = nullptr;
    QListWidget* m_bookmakers = nullptr;
    QWidget* m_researchDomainGroup = nullptr;
    QWidget* m_generalGroup = nullptr;
    AdvertLine* m_advertLine = nullptr;
    BookmakerListMenu* m_bookmakerMenu = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QAction* m_getWVectorAction = nullptr;

    TResearchDomainSpecForm* m_researchDomainSpec = nullptr;
    TSetupGeneralPropertiesForm* m_generalProperties = nullptr;
    TDataPreviewForm* m_dataPreview = nullptr;
    TSimulationTableForm* m_simulationTable = nullptr;
    TOptimizingChartForm* m_optimizingChart = nullptr;
    TDataBaseGeneratorWizardForm* m_dataBaseWizard = nullptr;
    std::unique_ptr<FootballDataImportAction> m_footballDataImport;
    TResultPeResultDisplayOptionsForm* m_displayOptions = nullptr;
    TGeneralEnviromentSettingsForm* m_enviromentSettings = nullptr;
    TAboutKarvolaForm* m_about = nullptr;
    TUpcomingMatchesDisplayForm* m_upcomingMatches = nullptr;
    TEnterUIDKeyForm* m_enterUIDKey = nullptr;
    std::unique_ptr<UIDKeyDialogPrompt> m_keyPrompt;
    BackgroundExchangeRunner* m_exchangeRunner = nullptr;
    // Lines entered while the service answers an upcoming command; they run
    // after it, so the terminal keeps the order they were typed in.
    std::deque<QString> m_typedAhead;

    std::unique_ptr<StatusScreenSink> m_sink;
    std::unique_ptr<Workstation> m_workstation;
    ChangeRelay* m_changes = nullptr;
};

}  // namespace karvola::ui
