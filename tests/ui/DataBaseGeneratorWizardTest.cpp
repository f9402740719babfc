#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/FileSystem.h"
#include "config/MatchConfig.h"
#include "directory/AffiliateLinks.h"
#include "support/FileContent.h"
#include "support/FixedClock.h"
#include "support/TemporaryDirectory.h"
#include "ui/Latin1Texts.h"
#include "ui/RecordingMessageBoxes.h"
#include "wizard/ui/TDataBaseGeneratorWizardForm.h"

// The database creation wizard's pages, checks and worker, with a conversion
// that a test scripts.
namespace {

using karvola::AffiliateLinks;
using karvola::DataBaseCreationRequest;
using karvola::DataBaseCreationResult;
using karvola::MatchConfig;
using karvola::testing::RecordingMessageBoxes;
using karvola::testing::TemporaryDirectory;
using karvola::ui::TDataBaseGeneratorWizardForm;

using karvola::testing::Latin1Texts;

class DataBaseGeneratorWizardTest final : public QObject {
    Q_OBJECT

    struct Wizard {
        explicit Wizard(karvola::ui::WizardConversionRunner runner)
            : config(folder.path(), files, clock),
              directory(AffiliateLinks::parse("[ID]B365[/ID][LINK]x[/LINK][STATE]ON LINE[/STATE][RATED]A[/RATED]\n"
                                              "[ID]GB[/ID][LINK]empty[/LINK][STATE]CLOSED[/STATE][RATED]D[/RATED]\n"
                                              "[ID]LB[/ID][LINK]x[/LINK][STATE]STACJONARNY[/STATE][RATED]F[/RATED]\n")),
              form(
                  config, folder.path(), files, boxes, [this]() -> const AffiliateLinks& { return directory; },
                  std::move(runner)) {
            source = folder.path() / "source.txt";
            karvola::testing::WriteFileContent(source, "anything");
            karvola::testing::WriteFileContent(folder.path() / "source.desc", "WH\r\nB365\r\nGB\r\nLB\r\nPS\r\n");
            config.SetTimeZoneBias(1);
        }

        // Through the pages with a data source, a base, B365 marked and the preselected zone.
        void walkToTheWork() {
            form.SpeedButton2Click();
            form.fileNameEdit()->setText(QString::fromStdString(source.string()));
            form.SpeedButton2Click();
            form.fileNameEdit()->setText(QString::fromStdString((folder.path() / "new.txt").string()));
            form.SpeedButton2Click();
            form.bookmakers()
                ->findItems(QStringLiteral("B365"), Qt::MatchExactly)
                .constFirst()
                ->setCheckState(Qt::Checked);
            form.SpeedButton2Click();
            form.SpeedButton2Click();
        }

        TemporaryDirectory folder;
        karvola::LocalFileSystem files;
        karvola::testing::FixedClock clock{1'700'000'000};
        RecordingMessageBoxes boxes;
        MatchConfig config;
        AffiliateLinks directory;
        TDataBaseGeneratorWizardForm form;
        std::filesystem::path source;
    };

    static DataBaseCreationResult Ends(DataBaseCreationResult::Outcome outcome, std::string error = {}) {
        return {outcome, std::move(error)};
    }

private slots:
    void thePagesCheckWhatTheyAreGiven() {
        Wizard wizard([](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        auto& form = wizard.form;
        QCOMPARE(form.page(), 0);
        QCOMPARE(form.descriptionLines().constFirst(),
                 QStringLiteral("This simple wizard will help you in creating Karvola"));

        form.SpeedButton2Click();
        QCOMPARE(form.page(), 1);
        form.fileNameEdit()->setText(QString::fromStdString((wizard.folder.path() / "missing.txt").string()));
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 1);
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("        Invalid file name       "));

        form.fileNameEdit()->setText(QString::fromStdString(wizard.source.string()));
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 2);
        form.fileNameEdit()->clear();
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 2);
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("    You need to specify file name    "));

        form.fileNameEdit()->setText(QString::fromStdString((wizard.folder.path() / "new.txt").string()));
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 3);
        QStringList names;
        for (int row = 0; row < form.bookmakers()->count(); ++row) names << form.bookmakers()->item(row)->text();
        QCOMPARE(names, Latin1Texts({"B365", "GB", "LB", "PS", "WH"}));
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 3);
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("You need to select at least one bookmaker"));

        form.bookmakers()->item(0)->setCheckState(Qt::Checked);
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 4);
        QCOMPARE(form.timeZones()->currentText(), QStringLiteral("GMT+1 (Berlin, Prague, Vienna, Warsaw)"));

        form.SpeedButton1Click();
        QCOMPARE(form.page(), 3);
        form.SpeedButton1Click();
        QCOMPARE(form.fileNameEdit()->text(), QString::fromStdString((wizard.folder.path() / "new.txt").string()));
        form.SpeedButton1Click();
        form.SpeedButton1Click();
        QCOMPARE(form.page(), 0);
        form.SpeedButton2Click();
        QCOMPARE(form.fileNameEdit()->text(), QString::fromStdString(wizard.source.string()));
    }

    // A bare name is written in the application directory, not in DataBase/:
    // page 2 shows the whole path as soon as a name is typed.
    void pageTwoShowsWhereTheBaseWillBeWritten_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("underTheFolder");  // "" when the typed name is absolute
        QTest::addColumn<QString>("absolute");
        // clang-format off
        QTest::newRow("a bare name") << "mybase.txt" << "mybase.txt" << "";
        QTest::newRow("a relative folder") << "DataBase/mybase.txt" << "DataBase/mybase.txt" << "";
        QTest::newRow("dots resolved") << "DataBase/../other/b.txt" << "other/b.txt" << "";
        QTest::newRow("an absolute path as typed") << "" << "" << "/srv/bases/mine.txt";
        QTest::newRow("nothing typed") << "" << "" << "";
        // clang-format on
    }

    void pageTwoShowsWhereTheBaseWillBeWritten() {
        QFETCH(QString, typed);
        QFETCH(QString, underTheFolder);
        QFETCH(QString, absolute);
        Wizard wizard([](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        auto& form = wizard.form;
        form.SpeedButton2Click();
        QVERIFY(!form.baseFilePathLabel()->isVisibleTo(&form));
        form.fileNameEdit()->setText(QString::fromStdString(wizard.source.string()));
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 2);
        QVERIFY(form.baseFilePathLabel()->isVisibleTo(&form));

        form.fileNameEdit()->setText(absolute.isEmpty() ? typed : absolute);
        const QString folder = QString::fromStdString(wizard.folder.path().string());
        const QString expected = !absolute.isEmpty() ? absolute
                                 : typed.isEmpty()   ? QString()
                                                     : folder + QLatin1Char('/') + underTheFolder;
        QCOMPARE(form.baseFilePathLabel()->text(),
                 expected.isEmpty() ? QString() : QStringLiteral("The data base will be written to:\n") + expected);
        if (expected.isEmpty()) return;
        // The label names the file the wizard goes on with.
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 3);
        QCOMPARE(QString::fromStdString(form.baseFileName()), expected);
        QVERIFY(!form.baseFilePathLabel()->isVisibleTo(&form));
        form.SpeedButton1Click();
        QCOMPARE(form.baseFilePathLabel()->text(), QStringLiteral("The data base will be written to:\n") + expected);
    }

    void aDataSourceWithoutDescriptorGoesBackToItsPage() {
        Wizard wizard([](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        std::filesystem::remove(wizard.folder.path() / "source.desc");
        wizard.form.SpeedButton2Click();
        wizard.form.fileNameEdit()->setText(QString::fromStdString(wizard.source.string()));
        wizard.form.SpeedButton2Click();
        wizard.form.fileNameEdit()->setText(QStringLiteral("new.txt"));
        wizard.form.SpeedButton2Click();
        QCOMPARE(wizard.form.page(), 1);
        QCOMPARE(wizard.boxes.captions.constLast(), QStringLiteral("Fatal Error"));
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("This data source file has no descriptor file .desc"));
    }

    // A configured zone that is no number: told once, nothing preselected, and
    // Next wants a zone chosen.
    void aConfiguredZoneThatIsNoNumberPreselectsNothing() {
        Wizard wizard([](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        karvola::testing::WriteFileContent(wizard.folder.path() / "karvola_config.xml",
                                           "<?xml version=\"1.0\" ?>\r\n<KarvolaConfiguration>\r\n"
                                           "\t<TimeZoneBias>one</TimeZoneBias>\r\n</KarvolaConfiguration>\r\n");
        MatchConfig config(wizard.folder.path(), wizard.files, wizard.clock);
        TDataBaseGeneratorWizardForm form(
            config, wizard.folder.path(), wizard.files, wizard.boxes,
            [&wizard]() -> const AffiliateLinks& { return wizard.directory; },
            [](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        form.SpeedButton2Click();
        form.fileNameEdit()->setText(QString::fromStdString(wizard.source.string()));
        form.SpeedButton2Click();
        form.fileNameEdit()->setText(QStringLiteral("new.txt"));
        form.SpeedButton2Click();
        form.bookmakers()->item(0)->setCheckState(Qt::Checked);
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 4);
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("Invalid timezone."));
        QCOMPARE(form.timeZones()->currentIndex(), -1);
        form.SpeedButton2Click();
        QCOMPARE(form.page(), 4);
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("You have to specify your time zone."));
    }

    void theMenuMarksBookmakersByStateAndRating() {
        Wizard wizard([](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Created); });
        auto& form = wizard.form;
        form.SpeedButton2Click();
        form.fileNameEdit()->setText(QString::fromStdString(wizard.source.string()));
        form.SpeedButton2Click();
        form.fileNameEdit()->setText(QStringLiteral("new.txt"));
        form.SpeedButton2Click();
        const auto marked = [&form] {
            QStringList names;
            for (int row = 0; row < form.bookmakers()->count(); ++row) {
                if (form.bookmakers()->item(row)->checkState() == Qt::Checked)
                    names << form.bookmakers()->item(row)->text();
            }
            return names;
        };
        const auto trigger = [&form](const char* caption) {
            for (QAction* action : form.bookmakersMenu()->actions()) {
                if (action->text() == QLatin1String(caption)) action->trigger();
            }
        };
        trigger("Select Closed or Off-line Bookmakers");
        QCOMPARE(marked(), Latin1Texts({"GB", "LB"}));
        trigger("Select Karvola A-rated Bookmakers");
        QCOMPARE(marked(), Latin1Texts({"B365", "GB", "LB"}));
        trigger("Deselect Karvola F-rated Bookmakers");
        QCOMPARE(marked(), Latin1Texts({"B365", "GB"}));
        trigger("Select All Bookmakers");
        QCOMPARE(marked().size(), 5);
        trigger("Deselect Closed or Off-line Bookmakers");
        QCOMPARE(marked(), Latin1Texts({"B365", "PS", "WH"}));
        trigger("Deselect All Bookmakers");
        QVERIFY(marked().isEmpty());
        QCOMPARE(form.bookmakersMenu()->actions().size(), 8);
    }

    void theWorkerReportsAndTheWizardClosesWhenItEnds() {
        std::atomic<int> runs = 0;
        DataBaseCreationRequest asked;
        Wizard wizard([&](const DataBaseCreationRequest& conversion, std::atomic<bool>&,
                          const karvola::DataBaseCreationReports& reports) {
            ++runs;
            asked = conversion;
            reports.progressBar(40, "40%");
            reports.statusLabel("Estimated time remaining: 5 seconds.");
            return Ends(DataBaseCreationResult::Outcome::Created);
        });
        wizard.form.show();
        wizard.walkToTheWork();
        QCOMPARE(wizard.form.page(), TDataBaseGeneratorWizardForm::kLastPage);
        QTRY_VERIFY(!wizard.form.isVisible());
        QVERIFY(wizard.form.created());
        QCOMPARE(runs.load(), 1);
        QCOMPARE(asked.bookmakers, std::vector<std::string>{"B365"});
        QCOMPARE(asked.timeZoneOffset, 3600);
        QCOMPARE(asked.baseFileName, (wizard.folder.path() / "new.txt").string());
        QCOMPARE(wizard.form.progressBar()->value(), 40);
        QCOMPARE(wizard.form.elapsedTimeLabel()->text(), QString());
    }

    void aFailedConversionShowsItsErrorAndCreatesNothing() {
        Wizard wizard(
            [](auto&&...) { return Ends(DataBaseCreationResult::Outcome::Failed, "Invalid data source file7"); });
        wizard.form.show();
        wizard.walkToTheWork();
        QTRY_VERIFY(!wizard.form.isVisible());
        QVERIFY(!wizard.form.created());
        QCOMPARE(wizard.boxes.captions.constLast(), QStringLiteral("Fatal Error "));
        QCOMPARE(wizard.boxes.texts.constLast(), QStringLiteral("Invalid data source file7"));
    }

    // Closing while it works asks first; No goes on, Yes stops at the next record.
    void closingDuringTheWorkAsksAndStops() {
        std::atomic<bool> started = false;
        Wizard wizard([&started](const DataBaseCreationRequest&, std::atomic<bool>& stop, const auto&) {
            started = true;
            while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            stop = false;
            return Ends(DataBaseCreationResult::Outcome::Stopped);
        });
        wizard.form.show();
        wizard.walkToTheWork();
        QTRY_VERIFY(started.load());
        wizard.boxes.answers = {QMessageBox::No, QMessageBox::Yes};
        wizard.form.close();
        QCOMPARE(wizard.boxes.texts.constLast(),
                 QStringLiteral("Database is beeing created. Do you want to stop the process?"));
        QTest::qWait(50);
        QVERIFY(wizard.form.isVisible());
        QVERIFY(wizard.form.working());
        wizard.form.close();
        QTRY_VERIFY(!wizard.form.isVisible());
        QVERIFY(!wizard.form.created());
        QVERIFY(!wizard.form.working());
    }
};

}  // namespace

QTEST_MAIN(DataBaseGeneratorWizardTest)
#include "DataBaseGeneratorWizardTest.moc"
