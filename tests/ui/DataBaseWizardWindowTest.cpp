#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "support/FileContent.h"
#include "ui/MainWindowFixture.h"
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

private:
    MainWindowFixture m_main;
};

}  // namespace

QTEST_MAIN(DataBaseWizardWindowTest)
#include "DataBaseWizardWindowTest.moc"
