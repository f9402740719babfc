#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "support/FileContent.h"
#include "ui/MainWindowFixture.h"
#include "wizard/ui/FootballDataImportAction.h"
#include "wizard/ui/TDataBaseGeneratorWizardForm.h"

// Tools > Database Creation Wizard... in the main window, with the real
// conversion of the sample data source shipped with the program.
namespace {

using karvola::testing::MainWindowFixture;
using karvola::ui::TDataBaseGeneratorWizardForm;

class DataBaseWizardWindowTest final : public QObject {
    Q_OBJECT

    // Walks the wizard from the start to the work, all bookmakers marked.
    static void walk(TDataBaseGeneratorWizardForm& wizard, const std::filesystem::path& source, const QString& base) {
        wizard.SpeedButton2Click();
        wizard.fileNameEdit()->setText(QString::fromStdString(source.string()));
        wizard.SpeedButton2Click();
        wizard.fileNameEdit()->setText(base);
        wizard.SpeedButton2Click();
        wizard.bookmakersMenu()->actions().constFirst()->trigger();  // Select All Bookmakers
        wizard.SpeedButton2Click();
        wizard.SpeedButton2Click();
    }

    [[nodiscard]] std::filesystem::path copySampleSource() const {
        const auto folder = m_main.folder() / "DataSource";
        std::filesystem::create_directories(folder);
        for (const char* extension : {".txt", ".desc"}) {
            std::filesystem::copy_file(
                std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "datasource" / (std::string("sample") + extension),
                folder / (std::string("datasource") + extension), std::filesystem::copy_options::overwrite_existing);
        }
        return folder / "datasource.txt";
    }

private slots:
    void init() { m_main.start(); }
    void cleanup() { m_main.stop(); }

    // The sample source with every bookmaker at GMT+0 gives the sample base byte
    // for byte, and Yes loads it.
    void theWizardCreatesTheBaseAndTheWindowLoadsIt() {
        const auto source = copySampleSource();
        TDataBaseGeneratorWizardForm& wizard = m_main.window().dataBaseWizard();
        MainWindowFixture::whenModal(
            [&wizard, &source](QWidget*) { walk(wizard, source, QStringLiteral("created.txt")); });
        m_main.window().DatabaseGeneratorWizardClick();

        const auto base = m_main.folder() / "created.txt";
        QCOMPARE(karvola::testing::ReadFileContent(base),
                 karvola::testing::ReadFileContent(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt"));
        QCOMPARE(karvola::testing::ReadFileContent(m_main.folder() / "created.desc"),
                 std::string("B365\r\nBW\r\nIW\r\nPS\r\nVC\r\nWH\r\n"));
        QVERIFY(m_main.screenText().contains(
            QStringLiteral("Database '%1' has been successful created.").arg(QString::fromStdString(base.string()))));
        QCOMPARE(m_main.boxes().texts.constLast(), QStringLiteral("Do you want to load new database?"));
        QCOMPARE(m_main.window().workstation().dataBase().fileName(), base.string());
    }

    void answeringNoKeepsTheBaseThatIsLoaded() {
        const auto source = copySampleSource();
        const std::string loaded = m_main.window().workstation().dataBase().fileName();
        m_main.boxes().answers = {QMessageBox::No};
        TDataBaseGeneratorWizardForm& wizard = m_main.window().dataBaseWizard();
        MainWindowFixture::whenModal(
            [&wizard, &source](QWidget*) { walk(wizard, source, QStringLiteral("kept.txt")); });
        m_main.window().DatabaseGeneratorWizardClick();
        QVERIFY(std::filesystem::exists(m_main.folder() / "kept.txt"));
        QVERIFY(std::filesystem::exists(m_main.folder() / "kept.desc"));
        QCOMPARE(m_main.window().workstation().dataBase().fileName(), loaded);
    }

    void aFaultyDataSourceEndsInTheFatalErrorBox() {
        const auto source = copySampleSource();
        karvola::testing::WriteFileContent(source, "1565380800\r\nLiverpool\r\nNorwich\r\n");
        TDataBaseGeneratorWizardForm& wizard = m_main.window().dataBaseWizard();
        MainWindowFixture::whenModal(
            [&wizard, &source](QWidget*) { walk(wizard, source, QStringLiteral("broken.txt")); });
        m_main.window().DatabaseGeneratorWizardClick();
        QCOMPARE(m_main.boxes().captions.constLast(), QStringLiteral("Fatal Error "));
        QCOMPARE(m_main.boxes().texts.constLast(), QStringLiteral("Invalid data source file3"));
        QVERIFY(!std::filesystem::exists(m_main.folder() / "broken.txt"));
    }

    // Tools > Import football-data.co.uk CSV Files...: the report on the terminal,
    // then the wizard with the new data source already on its first page.
    void importedCsvFilesLeadIntoTheWizard() {
        const auto csv = m_main.folder() / "E0_1920.csv";
        karvola::testing::WriteFileContent(csv,
                                           "Div,Date,Time,HomeTeam,AwayTeam,FTHG,FTAG,B365H,B365D,B365A\r\n"
                                           "E0,09/08/2019,20:00,Liverpool,Norwich,4,1,1.14,10,19\r\n"
                                           "E0,10/08/2019,12:30,West Ham,Man City,0,5,12,6.5,1.3\r\n");
        const auto source = m_main.folder() / "imported.txt";
        m_main.window().footballDataImport().setChoosers(
            [&csv](QWidget*, const QString&) { return QStringList{QString::fromStdString(csv.string())}; },
            [&source](QWidget*, const karvola::ui::DataSourceFileRequest&) {
                return QString::fromStdString(source.string());
            });
        TDataBaseGeneratorWizardForm& wizard = m_main.window().dataBaseWizard();
        QString offered;
        MainWindowFixture::whenModal([&wizard, &offered](QWidget*) {
            wizard.SpeedButton2Click();
            offered = wizard.fileNameEdit()->text();
            wizard.SpeedButton3Click();
        });
        m_main.window().ImportFootballDataMenuItemClick();
        QVERIFY(m_main.screenText().contains(
            QStringLiteral("Data source '%1': 2 matches, 2 offers of 1 bookmakers, from 2 rows of 1 files.")
                .arg(QString::fromStdString(source.string()))));
        QCOMPARE(karvola::testing::ReadFileContent(m_main.folder() / "imported.desc"), std::string("B365\r\n"));
        QCOMPARE(m_main.boxes().texts.constLast(),
                 QStringLiteral("Do you want to create a data base from the new data source?"));
        QCOMPARE(offered, QString::fromStdString(source.string()));
    }

    // A file that is not football-data's: the error box, the old data source
    // untouched, and no offer to go on in the wizard.
    void anImportWithoutAMatchKeepsTheOldSourceAndOffersNoWizard() {
        const auto csv = m_main.folder() / "other.csv";
        karvola::testing::WriteFileContent(csv, "Date,Home,Away\r\n09/08/2019,Liverpool,Norwich\r\n");
        const auto source = m_main.folder() / "kept.txt";
        karvola::testing::WriteFileContent(source, "old source");
        karvola::testing::WriteFileContent(m_main.folder() / "kept.desc", "B365\r\n");
        m_main.window().footballDataImport().setChoosers(
            [&csv](QWidget*, const QString&) { return QStringList{QString::fromStdString(csv.string())}; },
            [&source](QWidget*, const karvola::ui::DataSourceFileRequest&) {
                return QString::fromStdString(source.string());
            });
        m_main.window().ImportFootballDataMenuItemClick();
        QCOMPARE(m_main.boxes().captions, QStringList{QStringLiteral("Error")});
        QCOMPARE(m_main.boxes().texts, QStringList{QStringLiteral("No match could be imported; nothing was written "
                                                                  "to '%1'.")
                                                       .arg(QString::fromStdString(source.string()))});
        QCOMPARE(karvola::testing::ReadFileContent(source), std::string("old source"));
        QCOMPARE(karvola::testing::ReadFileContent(m_main.folder() / "kept.desc"), std::string("B365\r\n"));
    }

private:
    MainWindowFixture m_main;
};

}  // namespace

QTEST_MAIN(DataBaseWizardWindowTest)
#include "DataBaseWizardWindowTest.moc"
