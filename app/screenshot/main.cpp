// karvola-screenshot: starts the main window on a data base, takes its picture
// right after start-up, types command lines into it as a user would and saves
// pictures of the windows the user guide shows: the main window, the Bets
// Preview, the bankroll chart with and without its drawdown, the dialogs of the
// Options menu and of the research domain, Validate Strategy, the Betting
// Manager, two pages of the Database Creation Wizard, the identity key dialog,
// the About box and, given a line for it, the upcoming matches window. Used by
// scripts/screenshot for the README and the user guide.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "common/Version.h"
#include "common/ui/QtText.h"
#include "config/ApplicationDirectory.h"
#include "config/ui/TEnterUIDKeyForm.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "database/ui/TDataPreviewForm.h"
#include "database/ui/TResearchDomainSpecForm.h"
#include "database/ui/TSetupGeneralPropertiesForm.h"
#include "options/CommandLine.h"
#include "tools/ui/TAboutKarvolaForm.h"
#include "tools/ui/TAddEventForm.h"
#include "tools/ui/TBettingmanagerForm.h"
#include "upcoming/ui/TUpcomingMatchesDisplayForm.h"
#include "validation/ui/TValidateStrategyForm.h"
#include "web/CurlHttpClient.h"
#include "wizard/ui/TDataBaseGeneratorWizardForm.h"
#include "workstation/ui/TForm1.h"

namespace {

using karvola::ui::TForm1;

// How long the upcoming window may take to appear: the service's answer.
constexpr int kUpcomingTimeoutMilliseconds = 30000;

// The bets the Betting Manager's picture splits a capital among, odds typed
// with a comma and with a point as a user may.
const std::vector<std::pair<const char*, const char*>> kBets = {{"Aston Villa - Tottenham", "2,34"},
                                                                {"Crystal Palace - Bournemouth", "1.9"},
                                                                {"Arsenal - Brighton", "1,78"},
                                                                {"Leeds - Newcastle", "1.71"}};

// Arguments are in the locale's encoding, as Qt reads them.
QString FromArgument(const std::string& argument) {
    return QString::fromLocal8Bit(argument.data(), static_cast<qsizetype>(argument.size()));
}

void TypeLine(QComboBox& commandLine, const QString& line) {
    commandLine.setFocus();
    commandLine.setEditText(line);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(commandLine.lineEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(commandLine.lineEdit(), &release);
}

// The pictures of one run: each saved or reported, the run failing when one was not.
class Pictures final {
public:
    explicit Pictures(const QDir& folder) : m_folder(folder) {}

    void save(QWidget& window, const char* name) {
        QApplication::processEvents();  // laid out and drawn
        const QString file = m_folder.filePath(QString::fromLatin1(name));
        const bool saved = window.grab().save(file, "PNG");
        std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
        m_allSaved = m_allSaved && saved;
    }

    // A window the program opens as a dialog, shown without waiting for it,
    // pictured and closed again.
    void showAndSave(QWidget& window, const char* name) {
        window.show();
        save(window, name);
        window.hide();
    }

    [[nodiscard]] bool allSaved() const { return m_allSaved; }

private:
    QDir m_folder;
    bool m_allSaved = true;
};

QAction* ActionNamed(QWidget& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

void SaveChartWithDrawdown(TForm1& window, Pictures& pictures) {
    karvola::ui::TOptimizingChartForm& chart = window.optimizingChart();
    QAction* drawdown = ActionNamed(chart, QStringLiteral("Show Drawdown"));
    if (drawdown == nullptr) {
        std::fprintf(stderr, "the chart has no Show Drawdown item\n");
        return;
    }
    drawdown->trigger();
    pictures.save(chart, "bankroll-chart-drawdown.png");
    drawdown->trigger();
}

// Options > General Properties..., [ Specify...] and View > Preview Research Domain...
void SaveResearchDomainWindows(TForm1& window, Pictures& pictures) {
    pictures.showAndSave(window.generalProperties(), "general-properties.png");
    karvola::ui::TResearchDomainSpecForm& categories = window.researchDomainSpec();
    categories.FillCategories(window.workstation().domainCommands().categoryChoices());
    pictures.showAndSave(categories, "research-domain-categories.png");
    window.PreviewResearchDomain1Click();
    pictures.save(window.dataPreview(), "preview-research-domain.png");
    window.dataPreview().close();
}

void SaveBettingManager(TForm1& window, Pictures& pictures) {
    auto* manager = window.findChild<karvola::ui::TBettingmanagerForm*>();
    auto* addEvent = manager == nullptr ? nullptr : manager->findChild<karvola::ui::TAddEventForm*>();
    if (addEvent == nullptr) {
        std::fprintf(stderr, "the Betting Manager is missing\n");
        return;
    }
    for (const auto& [event, odds] : kBets) {
        addEvent->eventEdit()->setText(QString::fromLatin1(event));
        addEvent->courseEdit()->setText(QString::fromLatin1(odds));
        addEvent->AddButtonClick();
    }
    manager->StartButtonClick();
    pictures.showAndSave(*manager, "betting-manager.png");
}

// The first page, and the bookmakers of the configured data source on the third.
void SaveWizardPages(TForm1& window, const std::filesystem::path& home, Pictures& pictures) {
    karvola::ui::TDataBaseGeneratorWizardForm& wizard = window.dataBaseWizard();
    wizard.ResetWizard();
    wizard.show();
    pictures.save(wizard, "wizard-first-page.png");
    wizard.SpeedButton2Click();  // the data source, the configured one
    wizard.SpeedButton2Click();  // the data base's name
    wizard.fileNameEdit()->setText(karvola::ui::PathText(home / "DataBase" / "pinnacle.txt"));
    wizard.SpeedButton2Click();  // the bookmakers
    QListWidget* bookmakers = wizard.bookmakers();
    for (int row = 0; row < bookmakers->count(); ++row) {
        QListWidgetItem* item = bookmakers->item(row);
        item->setCheckState(item->text() == QStringLiteral("PS") ? Qt::Checked : Qt::Unchecked);
    }
    pictures.save(wizard, "wizard-bookmakers.png");
    wizard.SpeedButton3Click();
}

void SaveSmallDialogs(TForm1& window, Pictures& pictures) {
    karvola::ui::TEnterUIDKeyForm& key = window.enterUIDKey();
    key.show();
    if (auto* edit = key.findChild<QLineEdit*>(QStringLiteral("UIDEdit"))) edit->setText(QStringLiteral("demo"));
    pictures.save(key, "identity-key.png");
    key.hide();
    if (auto* about = window.findChild<karvola::ui::TAboutKarvolaForm*>()) {
        about->setReleaseDate(karvola::ui::Text(karvola::kReleaseDate));
        pictures.showAndSave(*about, "about.png");
    }
}

// Every window but the upcoming matches', after the typed lines have run.
void SaveWindows(TForm1& window, const std::filesystem::path& home, Pictures& pictures) {
    pictures.save(window, "main-window.png");
    pictures.save(window.simulationTable(), "bets-preview.png");
    pictures.save(window.optimizingChart(), "bankroll-chart.png");
    SaveChartWithDrawdown(window, pictures);
    pictures.showAndSave(window.displayOptions(), "display-options.png");
    pictures.showAndSave(window.enviromentSettings(), "environment-settings.png");
    SaveResearchDomainWindows(window, pictures);
    auto* validate = window.findChild<karvola::ui::TValidateStrategyForm*>();
    if (validate != nullptr) {
        validate->prepare(window.workstation().validation().defaultSpan(), window.workstation().decimalSeparator());
        pictures.showAndSave(*validate, "validate-strategy.png");
    }
    SaveBettingManager(window, pictures);
    SaveWizardPages(window, home, pictures);
    SaveSmallDialogs(window, pictures);
}

// Types the upcoming line and pictures the window once the service's matches
// are listed; `done` is called either way.
void SaveUpcomingMatches(TForm1& window, Pictures& pictures, const QString& line,
                         const std::function<void(bool)>& done) {
    karvola::ui::TUpcomingMatchesDisplayForm& upcoming = window.upcomingMatches();
    auto* timeout = new QTimer(&window);
    timeout->setSingleShot(true);
    QObject::connect(timeout, &QTimer::timeout, &window, [done] {
        std::fprintf(stderr, "the upcoming matches did not come within %d s\n", kUpcomingTimeoutMilliseconds / 1000);
        done(false);
    });
    QObject::connect(&upcoming, &karvola::ui::TUpcomingMatchesDisplayForm::listingShown, &window,
                     [&upcoming, &pictures, timeout, done] {
                         timeout->stop();
                         pictures.save(upcoming, "upcoming-matches.png");
                         done(true);
                     });
    timeout->start(kUpcomingTimeoutMilliseconds);
    TypeLine(*window.commandLine(), line);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Karvola"));

    karvola::options::CommandLine commandLine("karvola-screenshot",
                                              "Pictures of Karvola's windows after the given command lines.");
    std::string out = ".";
    std::string key;
    std::string upcomingLine;
    std::vector<std::string> lines;
    commandLine.addOption("--out", out, "where the PNG pictures go", "DIR");
    commandLine.addOption("--key", key, "the Unique Indentity Key the upcoming matches are asked with", "KEY");
    commandLine.addOption("--upcoming", upcomingLine, "a line listing upcoming matches, typed last", "LINE");
    commandLine.addArguments("LINE", lines, "command lines to type, in order");
    if (const auto early = commandLine.parse(std::vector<std::string>(argv + 1, argv + argc))) {
        return early->deliver();
    }
    const karvola::ui::MainWindowSettings settings{.applicationDirectory = commandLine.common().applicationDirectory(),
                                                   .dataBase = commandLine.common().dataBaseFile(),
                                                   .decimalSeparator = karvola::UserDecimalSeparator(),
                                                   .service = commandLine.common().serviceHost()};
    karvola::EnsureApplicationLayout(settings.applicationDirectory);

    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::ui::QtMessageBoxes boxes;
    karvola::CurlHttpClient http;
    TForm1 window(settings, {.files = files, .clock = clock, .boxes = boxes, .http = http});
    if (!key.empty()) window.workstation().config().SetUIDKey(key);
    window.show();

    Pictures pictures{QDir(FromArgument(out))};
    const auto finish = [&pictures](bool upcomingSaved) {
        QApplication::exit(pictures.allSaved() && upcomingSaved ? 0 : 1);
    };
    // The start-up sequence, which the window queued when it was built, keeps the
    // window disabled until the bookmaker directory's download has returned.
    auto* startedUp = new QTimer(&window);
    startedUp->start(50);
    QObject::connect(startedUp, &QTimer::timeout, &window, [&, startedUp] {
        if (!window.isEnabled()) return;
        startedUp->stop();
        pictures.save(window, "main-window-start.png");
        for (const std::string& line : lines) TypeLine(*window.commandLine(), FromArgument(line));
        window.workstation().optimizer().wait();
        QTimer::singleShot(500, &window, [&] {
            SaveWindows(window, settings.applicationDirectory, pictures);
            if (upcomingLine.empty()) {
                finish(true);
                return;
            }
            SaveUpcomingMatches(window, pictures, FromArgument(upcomingLine), finish);
        });
    });
    return QApplication::exec();
}
