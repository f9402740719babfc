#include "workstation/ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "common/Version.h"
#include "common/ui/ClickableLabel.h"
#include "common/ui/KarvolaLook.h"
#include "common/ui/OpenExternally.h"
#include "common/ui/QtText.h"
#include "common/ui/WaitCursor.h"
#include "common/ui/WindowPlacement.h"
#include "config/ui/TEnterUIDKeyForm.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "database/ui/TDataPreviewForm.h"
#include "database/ui/TResearchDomainSpecForm.h"
#include "database/ui/TSetupGeneralPropertiesForm.h"
#include "directory/ui/BookmakerListMenu.h"
#include "terminal/TerminalScreenRtf.h"
#include "terminal/ui/CommandLineHistoryKeys.h"
#include "terminal/ui/TerminalScreen.h"
#include "tools/ui/BettingManagerMenuItem.h"
#include "tools/ui/TAboutKarvolaForm.h"
#include "upcoming/ui/BackgroundExchangeRunner.h"
#include "upcoming/ui/TUpcomingMatchesDisplayForm.h"
#include "upcoming/ui/UIDKeyDialogPrompt.h"
#include "validation/ui/ValidateStrategyMenuItem.h"
#include "wizard/ui/FootballDataImportAction.h"
#include "wizard/ui/TDataBaseGeneratorWizardForm.h"
#include "workstation/ui/ChangeRelay.h"
#include "workstation/ui/PathLabel.h"

namespace karvola::ui {

namespace {

// The close query's boxes on the window.
class WindowCloseDialogs final : public Workstation::CloseQueryDialogs {
public:
    WindowCloseDialogs(QWidget& parent, MessageBoxes& boxes) : m_parent(parent), m_boxes(boxes) {}

    void refuse(std::string_view caption, std::string_view text) override {
        m_boxes.inform(&m_parent, Text(caption), Text(text));
    }
    Workstation::SaveAnswer askToSave(std::string_view caption, std::string_view text) override {
        switch (m_boxes.ask(&m_parent, Text(caption), Text(text),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
            case QMessageBox::Yes:
                return Workstation::SaveAnswer::Yes;
            case QMessageBox::Cancel:
                return Workstation::SaveAnswer::Cancel;
            default:
                return Workstation::SaveAnswer::No;
        }
    }
    std::optional<std::string> chooseSaveFile(const std::filesystem::path& initialDirectory) override {
        QFileDialog dialog(&m_parent, QStringLiteral("Save Data Base..."), PathText(initialDirectory / "dbase.txt"),
                           QStringLiteral("Karvola Text Base (*.txt)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return PathOf(dialog.selectedFiles().constFirst()).string();
    }

private:
    QWidget& m_parent;
    MessageBoxes& m_boxes;
};

}  // namespace

TForm1::TForm1(MainWindowSettings settings, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent),
      m_settings(std::move(settings)),
      m_files(services.files),
      m_boxes(services.boxes),
      m_http(services.http) {
    buildWidgets();
    m_sink = std::make_unique<StatusScreenSink>(*m_statusScreen);
    m_workstation = std::make_unique<Workstation>(
        WorkstationSettings{m_settings.applicationDirectory, m_settings.decimalSeparator, m_settings.service}, *m_sink,
        m_files, services.clock, m_http);
    m_bookmakerMenu = new BookmakerListMenu(
        *m_bookmakers, [this]() -> const AffiliateLinks& { return m_workstation->directory(); }, m_boxes, this);

    m_researchDomainSpec = new TResearchDomainSpecForm(this);
    m_generalProperties = new TSetupGeneralPropertiesForm(m_workstation->properties(), m_workstation->researchDomain(),
                                                          m_workstation->dataBase(), m_boxes, this);
    m_dataPreview = new TDataPreviewForm(this);
    m_simulationTable = new TSimulationTableForm(this);
    m_optimizingChart = new TOptimizingChartForm(m_boxes, m_settings.applicationDirectory / "WorkSpace", this);
    m_displayOptions = new TResultPeResultDisplayOptionsForm(m_workstation->config(), this);
    m_enviromentSettings =
        new TGeneralEnviromentSettingsForm(m_workstation->config(), m_settings.applicationDirectory, m_boxes, this);
    m_about = new TAboutKarvolaForm(this);
    m_enterUIDKey = new TEnterUIDKeyForm(m_workstation->config(), m_boxes, this);
    const Clock& clock = services.clock;
    m_dataBaseWizard = new TDataBaseGeneratorWizardForm(
        m_workstation->config(), m_settings.applicationDirectory, m_files, m_boxes,
        [this]() -> const AffiliateLinks& { return m_workstation->directory(); },
        [this, &clock](const DataBaseCreationRequest& request, std::atomic<bool>& stop,
                       const DataBaseCreationReports& reports) {
            return RunConversion(request, stop, reports, *m_sink, m_files, clock);
        },
        this);
    m_footballDataImport =
        std::make_unique<FootballDataImportAction>(m_settings.applicationDirectory, m_files, *m_sink, m_boxes);
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{m_researchDomainSpec, m_generalProperties, m_displayOptions,
                                         m_enviromentSettings, m_about, m_dataBaseWizard, m_enterUIDKey}) {
        WindowPlacement::Keep(*dialog, WindowPlacement::FirstShowing::CentredOnParent);
    }
    for (QWidget* window : std::initializer_list<QWidget*>{m_dataPreview, m_simulationTable, m_optimizingChart}) {
        WindowPlacement::Keep(*window, WindowPlacement::FirstShowing::BesideParent,
                              [this] { return coverableByResults(); });
    }

    attachUpcomingWindow();
    connectChanges();
    attachWindowCommands();
    buildMenus();
    refreshDataBase();
    refreshResearchDomain();
    m_defaultSize = contentSize();
    m_generalWidth = m_generalGroup->sizeHint().width();
    resize(m_defaultSize);
    QTimer::singleShot(0, this, &TForm1::ApplicationEvents1Idle);
}

// Closing is refused while the optimizer runs, so normally nothing is left to
// wait for; the wait covers a window destroyed without being closed.
TForm1::~TForm1() {
    m_workstation->upcoming().detachFrontEnd();
    m_exchangeRunner->stop();
    // A window closed during its start-up does not wait out a slow service.
    if (m_directoryDownload.joinable()) {
        m_http.cancel();
        m_directoryDownload.join();
        if (!m_startedUp) QApplication::restoreOverrideCursor();
    }
    m_workstation->attachObserver(nullptr);
    m_workstation->optimizer().wait();
    m_workstation->saveConfiguration();
}

void TForm1::buildWidgets() {
    setWindowTitle(Text(kProductCaption));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setStyleSheet(QStringLiteral("QMainWindow { background: black; }"));

    // One tab page, "Main", holds everything. The look is the page's, so that
    // the dialogs the window owns keep their own.
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("MainTabs"));
    tabs->setStyleSheet(look::MainPageStyleSheet());
    tabs->tabBar()->setFocusPolicy(Qt::NoFocus);  // one page: nothing to switch to
    auto* page = new QWidget(tabs);
    page->setObjectName(QStringLiteral("MainPage"));
    tabs->addTab(page, QStringLiteral("Main"));

    auto* layout = new QGridLayout(page);
    m_generalGroup = buildGeneralGroup(page);
    layout->addWidget(m_generalGroup, 0, 0, 2, 1);
    // The advert line opens above the research domain and takes its room from
    // the terminal below: the research domain keeps its height, so that its
    // lists never get a scroll bar for the advert's sake.
    auto* domainColumn = new QWidget(page);
    auto* domainLayout = new QVBoxLayout(domainColumn);
    domainLayout->setContentsMargins(0, 0, 0, 0);
    domainLayout->setSpacing(0);
    m_advertLine = new AdvertLine(m_http, m_settings.service.host, {}, domainColumn);
    m_researchDomainGroup = buildResearchDomainGroup(domainColumn);
    m_researchDomainGroup->setFixedHeight(kResearchDomainHeight);
    domainLayout->addWidget(m_advertLine);
    domainLayout->addWidget(m_researchDomainGroup);
    domainColumn->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(domainColumn, 0, 1);

    auto* terminal = new QWidget(page);
    auto* terminalLayout = new QVBoxLayout(terminal);
    terminalLayout->setContentsMargins(0, 0, 0, 0);
    m_statusScreen = new TerminalScreen(terminal);
    m_statusScreen->setObjectName(QStringLiteral("StatusScreen"));
    connect(m_statusScreen, &TerminalScreen::printableKeyPressed, this,
            [this] { m_commandLine->setFocus(Qt::OtherFocusReason); });
    m_commandLine = new QComboBox(terminal);
    m_commandLine->setObjectName(QStringLiteral("CommandLine"));
    m_commandLine->setEditable(true);
    m_commandLine->setInsertPolicy(QComboBox::NoInsert);
    m_commandLine->setMaxVisibleItems(20);
    m_commandLine->setFont(look::TerminalFont());
    CommandLineHistoryKeys::Attach(*m_commandLine);
    connect(m_commandLine->lineEdit(), &QLineEdit::returnPressed, this, &TForm1::CommandLineKeyPress);
    terminalLayout->addWidget(m_statusScreen, 1);
    terminalLayout->addWidget(m_commandLine);
    layout->addWidget(terminal, 1, 1);
    // The General column keeps one width, since nothing in it sizes itself by
    // the text it shows; the terminal takes the rest (see resizeEvent).
    layout->setColumnStretch(0, 0);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(1, 3);

    m_progressBar = new QProgressBar(page);
    m_progressBar->setObjectName(QStringLiteral("WidleVectorOptimalisationProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);  // a percentage only while a search runs
    m_progressBar->setToolTip(QString::fromLatin1(Optimizer::kIdleHint));
    m_progressBar->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_getWVectorAction = new QAction(QStringLiteral("Get wvector."), m_progressBar);
    connect(m_getWVectorAction, &QAction::triggered, this, &TForm1::GetWVectorClick);
    m_progressBar->addAction(m_getWVectorAction);
    layout->addWidget(m_progressBar, 2, 0, 1, 2);
    setCentralWidget(tabs);
}

QWidget* TForm1::buildGeneralGroup(QWidget* parent) {
    auto* general = new QGroupBox(QStringLiteral(" General "), parent);
    general->setObjectName(QStringLiteral("GeneralGroup"));
    auto* grid = new QGridLayout(general);
    const auto caption = [general, grid](int row, const char* text, int columns = 1) {
        grid->addWidget(new QLabel(QString::fromLatin1(text), general), row, 0, 1, columns);
    };
    const auto value = [general, grid](int row, auto* label, const char* name) {
        label->setObjectName(QString::fromLatin1(name));
        label->setParent(general);
        grid->addWidget(label, row, 1);
        return label;
    };
    caption(0, "Data Base:");
    m_dataBaseNameLabel = value(0, new PathLabel, "DataBaseNameLabel");
    caption(1, "Data Base Size:");
    m_dataBaseSizeLabel = value(1, new QLabel, "DataBaseSizeLabel");
    caption(2, "Research Domain Size:");
    m_domainSizeLabel = value(2, new QLabel, "DomainSizeLabel");
    caption(3, "Used Domain Partitioning: ", 2);
    caption(4, "LO Range:");
    m_compartmentInfimum = value(4, new ClickableLabel, "CompartmentInfimum");
    caption(5, "HI Range:");
    m_compartmentSupremum = value(5, new ClickableLabel, "CompartmentSupremum");
    caption(6, "BND%:");
    m_bnd = value(6, new ClickableLabel, "BND");

    auto* properties = new QPushButton(QStringLiteral("[ General Properties... ]"), general);
    properties->setObjectName(QStringLiteral("GeneralPropertiesSpeedButton"));
    properties->setToolTip(QStringLiteral("Setup General Properties"));
    properties->setFocusPolicy(Qt::NoFocus);  // a speed button: the keyboard stays on the command line
    grid->addWidget(properties, 7, 0, 1, 2);
    caption(8, "Research Domain Restrictions:", 2);
    m_restrictionsMemo = new QPlainTextEdit(general);
    m_restrictionsMemo->setObjectName(QStringLiteral("ResearchDomainRestrictViewMemo"));
    m_restrictionsMemo->setReadOnly(true);
    // Its width comes from the column, never from the restrictions it shows.
    m_restrictionsMemo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    grid->addWidget(m_restrictionsMemo, 9, 0, 1, 2);

    connect(m_dataBaseNameLabel, &ClickableLabel::clicked, this, &TForm1::GeneralPropertiesMenuItemClick);
    connect(m_compartmentInfimum, &ClickableLabel::clicked, this, &TForm1::CompartmentInfimumClick);
    connect(m_compartmentSupremum, &ClickableLabel::clicked, this, &TForm1::CompartmentSupremumClick);
    connect(m_bnd, &ClickableLabel::clicked, this, &TForm1::BNDClick);
    connect(properties, &QPushButton::clicked, this, &TForm1::GeneralPropertiesMenuItemClick);
    return general;
}

QWidget* TForm1::buildResearchDomainGroup(QWidget* parent) {
    auto* domain = new QGroupBox(QStringLiteral(" Research Domain "), parent);
    auto* grid = new QGridLayout(domain);
    grid->addWidget(new QLabel(QStringLiteral("Categories:"), domain), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Bookmakers:"), domain), 0, 1);
    m_categories = new QListWidget(domain);
    m_categories->setObjectName(QStringLiteral("ResearchDomainListBox"));
    m_bookmakers = new QListWidget(domain);
    m_bookmakers->setObjectName(QStringLiteral("BaseBookmakersListBox"));
    grid->addWidget(m_categories, 1, 0);
    grid->addWidget(m_bookmakers, 1, 1);
    auto* specify = new QPushButton(QStringLiteral("[ Specify...]"), domain);
    specify->setObjectName(QStringLiteral("SpeedButton1"));
    specify->setToolTip(QStringLiteral("Specify uses research domain"));
    specify->setFocusPolicy(Qt::NoFocus);  // a speed button: the keyboard stays on the command line
    connect(specify, &QPushButton::clicked, this, &TForm1::SpeedButton1Click);
    grid->addWidget(specify, 2, 0, 1, 2, Qt::AlignRight);
    domain->setObjectName(QStringLiteral("ResearchDomainGroupBox"));
    return domain;
}

void TForm1::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Load Data Base..."), this, &TForm1::LoadDataBaseMenuItemClick);
    file->addAction(QStringLiteral("S&ave Terminal Screen As..."), this, &TForm1::SaveStatusScreenMenuItemClick);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->addAction(QStringLiteral("&General Properties..."), this, &TForm1::GeneralPropertiesMenuItemClick);
    options->addAction(QStringLiteral("result / pe_result Display Options..."), this,
                       &TForm1::DisplayOptionsMenuItemClick);
    options->addAction(QStringLiteral("General Enviroment Settings..."), this,
                       &TForm1::EnviromentSettingsMenuItemClick);
    options->addSeparator();
    options->addAction(QStringLiteral("Clear CommandLine History"), this, &TForm1::ClearCommandLineHistoryClick);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Show Bankroll Multiplier Chart..."), this, &TForm1::ShowBankrollChart);
    view->addAction(QStringLiteral("Show Betting Preview..."), this, &TForm1::ShowBettingPreview);
    view->addAction(QStringLiteral("Preview Research Domain..."), this, &TForm1::PreviewResearchDomain1Click);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("Database Creation Wizard..."), this, &TForm1::DatabaseGeneratorWizardClick);
    tools->addAction(QStringLiteral("Import football-data.co.uk CSV Files..."), this,
                     &TForm1::ImportFootballDataMenuItemClick);
    AddBettingManagerMenuItem(*tools, *this, m_boxes, [this] { giveFocusToCommandLine(); });
    AddValidateStrategyMenuItem(*tools, *this, m_boxes, m_workstation->validation(), m_workstation->decimalSeparator(),
                                [this] { giveFocusToCommandLine(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("Visit ") + Text(kMakerWebAddress), this, [this] {
        OpenExternally(QUrl(QStringLiteral("http://") + Text(kMakerWebAddress)), m_boxes, this);
    });
    help->addAction(QStringLiteral("Read the User Guide"), this, [this] { OpenDocument("UserGuide.pdf"); });
    help->addAction(QStringLiteral("Read the User Guide [PL]"), this, [this] { OpenDocument("UserGuide_PL.pdf"); });
    help->addSeparator();
    help->addAction(QStringLiteral("About..."), this, &TForm1::About1Click);
}

// The commands whose work is showing or closing windows.
void TForm1::attachWindowCommands() {
    CommandDispatcher& dispatcher = m_workstation->terminal().dispatcher();
    dispatcher.attach("quit", [this](const CommandArguments&) {
        // The close query may show message boxes: not from inside the command.
        QTimer::singleShot(0, this, &QWidget::close);
    });
    dispatcher.attach("sch", [this](const CommandArguments&) { ShowBankrollChart(); });
    dispatcher.attach("sbp", [this](const CommandArguments&) { ShowBettingPreview(); });
}

// The upcoming commands list their matches in their own window, ask for the
// identity key with a dialog and wait for the service off the window's thread.
void TForm1::attachUpcomingWindow() {
    UpcomingCommands& upcoming = m_workstation->upcoming();
    m_upcomingMatches = new TUpcomingMatchesDisplayForm(
        upcoming.listing(), upcoming.model(), [this]() -> const AffiliateLinks& { return m_workstation->directory(); },
        this);
    WindowPlacement::Keep(*m_upcomingMatches, WindowPlacement::FirstShowing::CentredOnParent);
    connect(m_upcomingMatches, &TUpcomingMatchesDisplayForm::listingShown, this, &TForm1::giveFocusToCommandLine);
    m_keyPrompt = std::make_unique<UIDKeyDialogPrompt>(*m_enterUIDKey);
    m_exchangeRunner = new BackgroundExchangeRunner(m_http, this);
    connect(m_exchangeRunner, &BackgroundExchangeRunner::idle, this, &TForm1::runTypedAhead);
    upcoming.attachFrontEnd({*m_upcomingMatches, *m_keyPrompt, *m_exchangeRunner});
}

// Everything the window shows of the core follows its change reports.
void TForm1::connectChanges() {
    m_changes = new ChangeRelay(this);
    connect(m_changes, &ChangeRelay::dataBase, this, &TForm1::refreshDataBase);
    connect(m_changes, &ChangeRelay::researchDomain, this, &TForm1::refreshResearchDomain);
    connect(m_changes, &ChangeRelay::simulation, this, &TForm1::showSimulation);
    connect(m_changes, &ChangeRelay::history, m_commandLine, &QComboBox::clear);
    connect(m_changes, &ChangeRelay::progress, m_progressBar, &QProgressBar::setValue);
    connect(m_changes, &ChangeRelay::hint, m_progressBar, &QWidget::setToolTip);
    connect(m_changes, &ChangeRelay::started, this, [this] {
        m_progressBar->addAction(m_getWVectorAction);
        m_progressBar->setTextVisible(true);
    });
    connect(m_changes, &ChangeRelay::ended, this, [this] {
        m_progressBar->removeAction(m_getWVectorAction);
        m_progressBar->setTextVisible(false);
    });
    m_workstation->attachObserver(m_changes);
}

bool TForm1::offersGetWVector() const {
    return m_progressBar->actions().contains(m_getWVectorAction);
}

// The start-up sequence, once, when the message loop first becomes idle; the
// window takes no input meanwhile, for a few seconds at the most.
void TForm1::ApplicationEvents1Idle() {
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_workstation->beginStartUp(m_settings.dataBase);
    // The directory comes from the service, which may be slow or away: the
    // window keeps painting meanwhile and goes on when the download returns,
    // or without it when the service keeps it waiting.
    m_directoryDownload = std::thread([this] {
        AffiliateLinks directory = m_workstation->downloadDirectory();
        m_queuedCalls->post(
            [this, directory = std::move(directory)]() mutable { directoryArrived(std::move(directory)); });
    });
    QTimer::singleShot(kDirectoryWait, this, [this] {
        if (!m_startedUp) FormActivate(AffiliateLinks::FromCache(m_settings.applicationDirectory, m_files));
    });
}

void TForm1::directoryArrived(AffiliateLinks directory) {
    m_directoryDownload.join();
    if (!m_startedUp) {
        FormActivate(std::move(directory));
    } else if (directory.downloaded()) {
        // Late, but newer than the copy the start-up went on with.
        m_workstation->replaceDirectory(std::move(directory));
    }
}

// The rest of the start-up, once the bookmaker directory is in or the wait for it is over.
void TForm1::FormActivate(AffiliateLinks directory) {
    m_startedUp = true;
    const bool downloaded = directory.downloaded();
    const bool cached = !directory.empty();
    m_workstation->finishStartUp(std::move(directory));
    if (!downloaded) {
        m_sink->appendLine("Warning: no sportsbooks informations from " + m_workstation->serviceHost().name() +
                           (cached ? ": using the copy of an earlier run." : ", and no copy of an earlier run."));
    }
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    giveFocusToCommandLine();
}

void TForm1::CommandLineKeyPress() {
    CommandLineEnter(m_commandLine->currentText());
}

// Enter on the command line: the echo, the history and the dispatcher.
void TForm1::CommandLineEnter(const QString& text) {
    if (text.isEmpty()) return;
    m_commandLine->addItem(text);
    m_commandLine->setEditText(QString());
    m_statusScreen->followOutput();  // the user wants to see what the command answers
    if (m_exchangeRunner->busy()) {
        m_typedAhead.push_back(text);
        return;
    }
    executeLine(text);
}

void TForm1::executeLine(const QString& text) {
    const WaitCursor busy;
    m_workstation->terminal().enterLine(Bytes(text));
}

// Once the service has answered, the lines typed meanwhile, until one of them waits for it again.
void TForm1::runTypedAhead() {
    while (!m_typedAhead.empty() && !m_exchangeRunner->busy()) {
        const QString line = m_typedAhead.front();
        m_typedAhead.pop_front();
        executeLine(line);
    }
}

void TForm1::LoadDataBaseMenuItemClick() {
    if (m_workstation->IsOptimizing()) {
        m_sink->appendLine(kOptimizationInProgress);
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Load Data Base..."),
                       PathText(m_settings.applicationDirectory / "DataBase"),
                       QStringLiteral("Karvola Data Base (*.txt)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    giveFocusToCommandLine();
    if (!chosen) return;
    const WaitCursor busy;
    m_workstation->dataBase().open(PathOf(dialog.selectedFiles().constFirst()).string());
}

// Tools > Database Creation Wizard...: available while the optimizer runs; only
// the loading of the new base waits for it to end.
void TForm1::DatabaseGeneratorWizardClick() {
    runDataBaseWizard(std::nullopt);
}

// The CSV files become a data source, which the wizard then offers to turn into a data base.
void TForm1::ImportFootballDataMenuItemClick() {
    const auto source = m_footballDataImport->run(this);
    giveFocusToCommandLine();
    if (!source) return;
    if (m_boxes.ask(this, QStringLiteral("Ask for confirmation"),
                    QStringLiteral("Do you want to create a data base from the new data source?"),
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        runDataBaseWizard(source);
    }
}

void TForm1::runDataBaseWizard(const std::optional<std::string>& source) {
    m_dataBaseWizard->ResetWizard();
    if (source) m_dataBaseWizard->presetDataSource(*source);
    m_dataBaseWizard->exec();
    giveFocusToCommandLine();
    if (!m_dataBaseWizard->created()) return;
    if (m_workstation->IsOptimizing()) {
        m_sink->appendLine("New database cannot be loaded now, because optimization engine is busy.");
        return;
    }
    if (m_boxes.ask(this, QStringLiteral("Ask for confirmation"), QStringLiteral("Do you want to load new database?"),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    const WaitCursor busy;
    m_workstation->dataBase().open(m_dataBaseWizard->baseFileName());
}

void TForm1::SaveStatusScreenMenuItemClick() {
    QFileDialog dialog(this, QStringLiteral("Save Terminal Screen..."),
                       PathText(m_settings.applicationDirectory / "WorkSpace" / "terminal_screen1.rtf"),
                       QStringLiteral("Karvola Terminal Screens (*.rtf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("rtf"));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    giveFocusToCommandLine();
    if (!chosen) return;
    const std::filesystem::path file = PathOf(dialog.selectedFiles().constFirst());
    if (!SaveStatusScreen(file)) {
        m_boxes.inform(this, QStringLiteral("Error"),
                       QStringLiteral("Could not write the terminal screen to '%1'.").arg(PathText(file)));
    }
}

// The whole terminal as rich text, black on white.
bool TForm1::SaveStatusScreen(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    for (QTextBlock block = m_statusScreen->document()->begin(); block.isValid(); block = block.next()) {
        lines.push_back(Bytes(block.text()));
    }
    if (lines.size() == 1 && lines.front().empty()) lines.clear();
    return SaveTerminalScreen(m_files, file, lines);
}

void TForm1::ClearCommandLineHistoryClick() {
    m_workstation->terminal().dispatcher().DispatchCommand("histclr");
}

// The category dialog behind "[ Specify...]".
void TForm1::SpeedButton1Click() {
    {
        const WaitCursor busy;
        m_researchDomainSpec->FillCategories(m_workstation->domainCommands().categoryChoices());
    }
    m_researchDomainSpec->exec();
    giveFocusToCommandLine();
    if (m_researchDomainSpec->cancelled()) return;
    const WaitCursor busy;
    m_workstation->domainCommands().chooseCategories(m_researchDomainSpec->markedNames());
}

void TForm1::CompartmentInfimumClick() {
    if (m_workstation->researchDomain().size() == 0) return;
    if (!m_workstation->IsOptimizing()) m_generalProperties->SetFocusTarget(PropertiesError::Field::Infimum);
    ShowGeneralProperties();
}

void TForm1::CompartmentSupremumClick() {
    if (m_workstation->researchDomain().size() == 0) return;
    if (!m_workstation->IsOptimizing()) m_generalProperties->SetFocusTarget(PropertiesError::Field::Supremum);
    ShowGeneralProperties();
}

void TForm1::BNDClick() {
    if (!m_workstation->IsOptimizing()) m_generalProperties->SetFocusTarget(PropertiesError::Field::Bnd);
    ShowGeneralProperties();
}

void TForm1::GeneralPropertiesMenuItemClick() {
    using Field = PropertiesError::Field;
    m_generalProperties->SetFocusTarget(m_generalProperties->edit(Field::Infimum)->isEnabled() ? Field::Infimum
                                                                                               : Field::Bnd);
    ShowGeneralProperties();
}

void TForm1::ShowGeneralProperties() {
    m_generalProperties->exec();
    giveFocusToCommandLine();
}

void TForm1::PreviewResearchDomain1Click() {
    m_dataPreview->setWindowTitle(QStringLiteral("Preview Research Domain..."));
    if (m_dataPreview->isVisible()) m_dataPreview->close();
    const ResearchDomainModel& domain = m_workstation->researchDomain();
    if (domain.lo() == 0 || domain.hi() == 0) return;
    const WaitCursor busy;
    m_dataPreview->showRows(m_workstation->domainCommands().previewRows());
    m_dataPreview->show();
}

// "Get wvector.": the current best vector of a running search, appended to the command line.
void TForm1::GetWVectorClick() {
    if (!m_workstation->IsOptimizing()) return;
    const std::string vector = Optimizer::BracketedVector(m_workstation->optimizer().hint());
    if (vector.empty()) return;
    m_commandLine->setEditText(m_commandLine->currentText() + Text(vector));
    giveFocusToCommandLine();
}

void TForm1::showSimulation(bool completed) {
    m_simulationTable->showRecord(m_workstation->strategy().simulation());
    m_optimizingChart->showRecord(m_workstation->strategy().simulation());
    if (!completed) return;
    m_simulationTable->show();
    m_optimizingChart->show();
    giveFocusToCommandLine();
}

void TForm1::ShowBankrollChart() {
    m_optimizingChart->show();
    m_optimizingChart->raise();
    giveFocusToCommandLine();
}

void TForm1::ShowBettingPreview() {
    m_simulationTable->show();
    m_simulationTable->raise();
    giveFocusToCommandLine();
}

void TForm1::DisplayOptionsMenuItemClick() {
    m_displayOptions->exec();
    giveFocusToCommandLine();
}

void TForm1::EnviromentSettingsMenuItemClick() {
    m_enviromentSettings->exec();
    giveFocusToCommandLine();
}

void TForm1::About1Click() {
    m_about->setReleaseDate(Text(kReleaseDate));
    m_about->exec();
    giveFocusToCommandLine();
}

// After a command or a dialog the next keystroke belongs to the command line,
// even when a window that was just shown took the keyboard.
void TForm1::giveFocusToCommandLine() {
    activateWindow();
    m_commandLine->setFocus(Qt::OtherFocusReason);
}

QSize TForm1::contentSize() const {
    ensurePolished();  // the style sheets decide frames and margins
    QSize size = sizeHint().expandedTo(minimumSize());
    // The frame is not drawn yet: room for a window manager's title bar and borders.
    constexpr QSize kFrameAllowance(16, 48);
    if (const QScreen* screen = this->screen()) {
        size = size.boundedTo(screen->availableGeometry().size() - kFrameAllowance);
    }
    return size;
}

// A window wider than its default size (maximised, say) gives a quarter of the
// difference to the General column, so that a long data base name has room.
void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_defaultSize.isEmpty()) return;  // still building
    const int extra = std::max(0, width() - m_defaultSize.width());
    m_generalGroup->setMinimumWidth(m_generalWidth + extra / 4);
}

QRect TForm1::coverableByResults() const {
    const QWidget* domainColumn = m_researchDomainGroup->parentWidget();
    const int top = domainColumn->mapToGlobal(QPoint(0, 0)).y();
    const int terminalBottom = m_statusScreen->mapToGlobal(QPoint(0, m_statusScreen->height())).y();
    const int inSight = kNewestLinesInSight * m_statusScreen->fontMetrics().lineSpacing();
    const QRect frame = frameGeometry();
    return {QPoint(frame.left(), top), QPoint(frame.right(), std::max(top, terminalBottom - inSight - 1))};
}

// A missing document is not reported: the desktop's handler decides what to show.
void TForm1::OpenDocument(const char* fileName) {
    OpenExternally(QUrl::fromLocalFile(PathText(m_settings.applicationDirectory / "Documents" / fileName)), m_boxes,
                   this);
}

// What a data base load changes besides the research domain.
void TForm1::refreshDataBase() {
    const OpenDataBase& dataBase = m_workstation->dataBase();
    const std::string& name = dataBase.nameLabel();
    m_dataBaseNameLabel->setPath(dataBase.isLoaded() ? FileNameText(name) : Text(name), dataBase.isLoaded());
    m_dataBaseSizeLabel->setText(QString::number(dataBase.size()));
    m_bookmakers->clear();
    for (const auto& bookmaker : dataBase.bookmakers()) m_bookmakers->addItem(Text(bookmaker));
    if (m_bookmakerMenu) m_bookmakerMenu->listChanged();
}

void TForm1::refreshResearchDomain() {
    const ResearchDomainModel& domain = m_workstation->researchDomain();
    m_domainSizeLabel->setText(QString::number(domain.size()));
    m_compartmentInfimum->setText(QString::number(domain.lo()));
    m_compartmentSupremum->setText(QString::number(domain.hi()));
    m_bnd->setText(Text(domain.bnd()));
    m_restrictionsMemo->clear();
    for (const auto& line : domain.restrictions()) m_restrictionsMemo->appendPlainText(Text(line));
    m_categories->clear();
    for (const auto& category : domain.categories()) m_categories->addItem(Text(category));
}

void TForm1::closeEvent(QCloseEvent* event) {
    WindowCloseDialogs dialogs(*this, m_boxes);
    if (m_workstation->mayClose(dialogs)) {
        // A service still answering an upcoming command does not hold the program.
        m_typedAhead.clear();
        m_exchangeRunner->stop();
        // Written here, where a failure can still be told (the terminal's line would
        // go with the window), and once more as the window goes, silently.
        if (!m_workstation->saveConfiguration()) {
            const auto file = m_settings.applicationDirectory / MatchConfig::kFileName;
            m_boxes.inform(this, QStringLiteral("Error"),
                           QStringLiteral("Could not save the configuration to '%1'.").arg(PathText(file)));
        }
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace karvola::ui
