#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "database/ui/TDataPreviewForm.h"
#include "database/ui/TResearchDomainSpecForm.h"
#include "database/ui/TSetupGeneralPropertiesForm.h"
#include "support/FileContent.h"
#include "support/SaveFaults.h"
#include "ui/MainWindowFixture.h"

namespace {

using Field = karvola::ui::TSetupGeneralPropertiesForm::Field;

// Holds every optimizer worker until released, so that a test decides when the
// search may run.
class WorkerGate {
public:
    karvola::Optimizer::ThreadStarter starter() {
        return [this](std::function<void()> work) {
            return std::thread([this, work = std::move(work)] {
                std::unique_lock lock(m_mutex);
                m_released.wait(lock, [this] { return m_open; });
                lock.unlock();
                work();
            });
        };
    }
    void close() {
        const std::lock_guard lock(m_mutex);
        m_open = false;
    }
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_released.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
};

class TForm1Test final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_gate.close();
        m_main.start();
    }

    void cleanup() {
        m_gate.open();
        m_main.stop();
    }

    void enterEchoesDispatchesAndKeepsTheHistory() {
        QLineEdit* edit = window().commandLine()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("=2+3"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(screenText().endsWith(QStringLiteral(">=2+3\n5")));
        QCOMPARE(window().commandLine()->count(), 1);
        QCOMPARE(window().commandLine()->itemText(0), QStringLiteral("=2+3"));
        QCOMPARE(edit->text(), QString());

        // An empty line does nothing at all.
        const QString before = screenText();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(screenText(), before);
        QCOMPARE(window().commandLine()->count(), 1);

        type(QStringLiteral("histclr"));
        QVERIFY(screenText().endsWith(QStringLiteral("Command line history is clean")));
        QCOMPARE(window().commandLine()->count(), 0);
    }

    void aCharacterTypedOnTheScreenGoesToTheCommandLine() {
        window().activateWindow();
        window().statusScreen()->setFocus();
        QTest::keyClick(window().statusScreen(), Qt::Key_A);
        QWidget* focused = window().focusWidget();
        QVERIFY(focused == window().commandLine() || window().commandLine()->isAncestorOf(focused));
        QCOMPARE(window().commandLine()->currentText(), QString());
    }

    void commandsRefreshTheGeneralGroup() {
        type(QStringLiteral("struct *"));
        QCOMPARE(label("DomainSizeLabel"), QStringLiteral("760"));
        QCOMPARE(label("CompartmentInfimum"), QStringLiteral("1"));
        QCOMPARE(label("CompartmentSupremum"), QStringLiteral("760"));
        type(QStringLiteral("rsr ODDS1 > 2"));
        const auto narrowed = QString::number(window().workstation().researchDomain().size());
        QCOMPARE(label("DomainSizeLabel"), narrowed);
        QCOMPARE(window().findChild<QPlainTextEdit*>(QStringLiteral("ResearchDomainRestrictViewMemo"))->toPlainText(),
                 QStringLiteral("100% domain\nAND\n ODDS1 > 2"));
    }

    void specifyBuildsTheDomainFromTheMarkedCategories() {
        QString firstItem;
        whenModal([&firstItem](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ResearchDomainCheckListBox"));
            firstItem = list->item(0)->text();
            list->item(0)->setCheckState(Qt::Checked);
            static_cast<karvola::ui::TResearchDomainSpecForm*>(dialog)->OkSpeedButtonClick();
        });
        window().SpeedButton1Click();
        const auto& dataBase = window().workstation().dataBase().records().categories();
        const auto& first = dataBase.front();
        QCOMPARE(firstItem, QString::fromLatin1(first.name) + QStringLiteral("(%1)").arg(first.count));
        auto* categories = window().findChild<QListWidget*>(QStringLiteral("ResearchDomainListBox"));
        QCOMPARE(categories->count(), 1);
        QCOMPARE(label("DomainSizeLabel"), QString::number(first.count));

        // Reopened, the chosen category is marked; Cancel changes nothing.
        Qt::CheckState reopened = Qt::Unchecked;
        whenModal([&reopened](QWidget* dialog) {
            reopened = dialog->findChild<QListWidget*>()->item(0)->checkState();
            dialog->findChild<QListWidget*>()->item(0)->setCheckState(Qt::Unchecked);
            static_cast<QDialog*>(dialog)->reject();
        });
        window().SpeedButton1Click();
        QCOMPARE(reopened, Qt::Checked);
        QCOMPARE(categories->count(), 1);
    }

    void propertiesDialogShowsTheFirstFailedCheck_data() {
        QTest::addColumn<QString>("lo");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<QString>("bnd");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("focus");
        const auto row = [](const char* name, const char* lo, const char* hi, const char* bnd, const char* caption,
                            const char* text, Field focus) {
            QTest::newRow(name) << QString::fromLatin1(lo) << QString::fromLatin1(hi) << QString::fromLatin1(bnd)
                                << QString::fromLatin1(caption) << QString::fromLatin1(text) << static_cast<int>(focus);
        };
        row("bnd not a number", "1", "10", "1/0", "BND% Property error", "Domain error", Field::Bnd);
        row("lo not a number", "(", "10", "12", "Compartment Infimum Property error", "", Field::Infimum);
        row("hi below lo", "5", "2", "12", "Compartment Property error", "Infimum value cannot exceed supremum",
            Field::Infimum);
        row("hi beyond the domain", "1", "761", "12", "Compartment Supremum Property error",
            "Supremum cannot exceed domain size", Field::Supremum);
        row("bnd zero", "1", "10", "0", "BND% Property error", "BND% must be in (0, 100>", Field::Bnd);
        row("bnd above 100", "1", "10", "100.5", "BND% Property error", "BND% must be in (0, 100>", Field::Bnd);
    }

    void propertiesDialogShowsTheFirstFailedCheck() {
        QFETCH(QString, lo);
        QFETCH(QString, hi);
        QFETCH(QString, bnd);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(int, focus);
        type(QStringLiteral("struct *"));
        auto& dialog = window().generalProperties();
        dialog.show();
        dialog.edit(Field::Infimum)->setText(lo);
        dialog.edit(Field::Supremum)->setText(hi);
        dialog.edit(Field::Bnd)->setText(bnd);
        dialog.OkButtonClick();

        QCOMPARE(m_main.boxes().captions, QStringList{caption});
        if (!text.isEmpty()) QCOMPARE(m_main.boxes().texts, QStringList{text});
        QCOMPARE(dialog.focusWidget(), dialog.edit(static_cast<Field>(focus)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(label("CompartmentSupremum"), QStringLiteral("760"));
        dialog.reject();
    }

    void propertiesDialogStoresTruncatedRangeAndBnd() {
        type(QStringLiteral("struct *"));
        auto& dialog = window().generalProperties();
        dialog.show();
        dialog.edit(Field::Infimum)->setText(QStringLiteral("2.9"));
        dialog.edit(Field::Supremum)->setText(QStringLiteral("4"));
        dialog.edit(Field::Bnd)->setText(QStringLiteral("100"));
        dialog.OkButtonClick();
        QVERIFY(m_main.boxes().captions.isEmpty());
        QVERIFY(!dialog.isVisible());
        QTRY_COMPARE(label("CompartmentInfimum"), QStringLiteral("2"));
        QCOMPARE(label("CompartmentSupremum"), QStringLiteral("4"));
        QCOMPARE(label("BND"), QStringLiteral("100"));

        // The preview numbers its rows from 1, whatever their positions in the domain.
        window().PreviewResearchDomain1Click();
        QTreeWidget* list = window().dataPreview().listView();
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("3"));
        QCOMPARE(window().dataPreview().windowTitle(), QStringLiteral("Preview Research Domain..."));
        window().dataPreview().close();
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    // Each way of opening the dialog puts the focus where the user meant to type.
    void propertiesDialogOpensOnTheClickedValue() {
        type(QStringLiteral("struct *"));
        auto& dialog = window().generalProperties();
        const auto focusWhenOpened = [this, &dialog](auto open) {
            QWidget* focused = nullptr;
            whenModal([&focused, &dialog](QWidget*) {
                focused = dialog.focusWidget();
                dialog.reject();
            });
            (window().*open)();
            return focused;
        };
        QCOMPARE(focusWhenOpened(&karvola::ui::TForm1::CompartmentSupremumClick), dialog.edit(Field::Supremum));
        QCOMPARE(focusWhenOpened(&karvola::ui::TForm1::BNDClick), dialog.edit(Field::Bnd));
        QCOMPARE(focusWhenOpened(&karvola::ui::TForm1::GeneralPropertiesMenuItemClick), dialog.edit(Field::Infimum));

        // While the optimizer runs nothing can be edited.
        window().workstation().terminal().flags().OptimizationRunning = true;
        bool anyEnabled = true;
        whenModal([&anyEnabled, &dialog](QWidget*) {
            anyEnabled = dialog.edit(Field::Infimum)->isEnabled() || dialog.edit(Field::Supremum)->isEnabled() ||
                         dialog.edit(Field::Bnd)->isEnabled();
            dialog.OkButtonClick();
        });
        window().BNDClick();
        window().workstation().terminal().flags().OptimizationRunning = false;
        QVERIFY(!anyEnabled);
        QCOMPARE(label("CompartmentSupremum"), QStringLiteral("760"));
    }

    void simShowsTheBetsPreviewAndTheChart() {
        type(QStringLiteral("struct *"));
        type(QStringLiteral("sim [1.5 2.5 1.2] 0.05"));
        const auto& simulation = window().workstation().strategy().simulation();
        QVERIFY(!simulation.rows.empty());
        QVERIFY(window().simulationTable().isVisible());
        QVERIFY(window().optimizingChart().isVisible());
        auto* rows = window().simulationTable().findChild<QTreeWidget*>(QStringLiteral("SimListView"));
        QCOMPARE(rows->topLevelItemCount(), static_cast<int>(simulation.rows.size()));
        auto* series = window().optimizingChart().findChild<QChartView*>()->chart()->findChild<QLineSeries*>(
            QStringLiteral("Series1"));
        QCOMPARE(series->count(), static_cast<int>(simulation.points.size()));
        QVERIFY(screenText().contains(QStringLiteral(" Bankroll multiplier ")));

        // sch and sbp bring the closed windows back with the same content.
        window().simulationTable().close();
        window().optimizingChart().close();
        type(QStringLiteral("sbp"));
        type(QStringLiteral("sch"));
        QVERIFY(window().simulationTable().isVisible());
        QVERIFY(window().optimizingChart().isVisible());
        QCOMPARE(rows->topLevelItemCount(), static_cast<int>(simulation.rows.size()));

        // A pe_sim that stops on an error empties the chart without showing the windows.
        window().optimizingChart().close();
        type(QStringLiteral("pe_sim{0.05} ODDS1<2?BET1 ODDS1"));
        QVERIFY(screenText().endsWith(QStringLiteral("Error : Invalid prediction keyword")));
        QVERIFY(!window().optimizingChart().isVisible());
        QCOMPARE(series->count(), 0);
    }

    void closingIsRefusedWhileOptimizing() {
        window().workstation().terminal().flags().OptimizationRunning = true;
        QVERIFY(!window().close());
        window().workstation().terminal().flags().OptimizationRunning = false;
        QCOMPARE(m_main.boxes().captions, QStringList{QStringLiteral("Exit Refuse")});
        QCOMPARE(m_main.boxes().texts,
                 QStringList{QStringLiteral(
                     "Optimization in progress...\n Please type 'break' in command line to stop the engine.")});
        QVERIFY(window().isVisible());
    }

    void closingAChangedBaseAsksToSave_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("cancel keeps the window") << static_cast<int>(QMessageBox::Cancel) << false << false;
        QTest::newRow("no closes without saving") << static_cast<int>(QMessageBox::No) << true << false;
        QTest::newRow("yes saves and closes") << static_cast<int>(QMessageBox::Yes) << true << true;
    }

    void closingAChangedBaseAsksToSave() {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(bool, saved);
        const auto file = m_main.folder() / "renamed.txt";
        window().workstation().dataBase().rename(file.string());
        m_main.boxes().answers.push_back(static_cast<QMessageBox::StandardButton>(answer));
        QCOMPARE(window().close(), closes);
        QCOMPARE(m_main.boxes().captions, QStringList{QStringLiteral("Confirmation...")});
        QCOMPARE(m_main.boxes().texts,
                 QStringList{QStringLiteral("Data Base has been changed. Do you want to save it?")});
        QCOMPARE(std::filesystem::exists(file), saved);
    }

    // The configuration is written as the window closes. One that cannot be saved
    // is told in a box (the terminal's line would go with the window), the window
    // closes all the same, and the old file stays byte for byte.
    void closingTellsAConfigurationThatCannotBeSaved_data() {
        QTest::addColumn<int>("fault");
        for (const auto fault : karvola::testing::RealSaveFaults())
            QTest::newRow(karvola::testing::NameOf(fault).c_str()) << static_cast<int>(fault);
    }

    void closingTellsAConfigurationThatCannotBeSaved() {
        QFETCH(int, fault);
        karvola::testing::FaultyFileSystem unused;  // the window writes to the real disk
        const auto file = m_main.folder() / "karvola_config.xml";
        const karvola::testing::SaveFaultScene scene(static_cast<karvola::testing::SaveFault>(fault), unused, file,
                                                     "<KarvolaConfiguration/>\r\n");
        bool closed = false;
        scene.save([&] { closed = window().close(); });
        QVERIFY(closed);
        QCOMPARE(m_main.boxes().captions, QStringList{QStringLiteral("Error")});
        QCOMPARE(m_main.boxes().texts, QStringList{QStringLiteral("Could not save the configuration to '%1'.")
                                                       .arg(QString::fromStdString(file.string()))});
        QVERIFY(scene.unchanged());
    }

    void closingSavesTheConfigurationWithoutABox() {
        QVERIFY(window().close());
        QVERIFY(m_main.boxes().captions.isEmpty());
        QVERIFY(std::filesystem::exists(m_main.folder() / "karvola_config.xml"));
    }

    void quitClosesLikeTheMenu() {
        type(QStringLiteral("quit"));
        QTRY_VERIFY(!window().isVisible());
    }

    void theTerminalIsSavedAsRichText() {
        type(QStringLiteral("echo {braces} and \\ back"));
        const auto file = m_main.folder() / "WorkSpace" / "terminal_screen1.rtf";
        std::filesystem::create_directories(file.parent_path());
        QVERIFY(window().SaveStatusScreen(file));
        const std::string rtf = karvola::testing::ReadFileContent(file);
        QVERIFY(rtf.starts_with("{\\rtf1"));
        QVERIFY(rtf.find("DBMS : 760 items loaded.") != std::string::npos);
        QVERIFY(rtf.find("\\{braces\\} and \\\\ back") != std::string::npos);
        QVERIFY(!window().SaveStatusScreen(m_main.folder() / "missing" / "screen.rtf"));
    }

    // The window stays usable while the optimizer works: result runs, the busy
    // commands are refused, and break stops the search.
    void optThenBreakWhileResultIsTyped() {
        window().workstation().optimizer().setThreadStarter(m_gate.starter());
        QVERIFY(!window().progressBar()->isTextVisible());  // no bare "0%" while idle
        type(QStringLiteral("struct *"));
        type(QStringLiteral("opt 0.4"));
        QVERIFY(window().workstation().IsOptimizing());
        QVERIFY(window().offersGetWVector());

        // No best vector yet: "Get wvector." leaves the command line alone.
        window().GetWVectorClick();
        QCOMPARE(window().commandLine()->currentText(), QString());

        type(QStringLiteral("result [1.5 2.5 1.2]"));
        QVERIFY(screenText().contains(QStringLiteral("Total number of bets:")));
        type(QStringLiteral("rsr ODDS1 > 2"));
        QVERIFY(screenText().endsWith(QStringLiteral("Acces Denied : Optimization in progress.")));
        type(QStringLiteral("break"));
        QVERIFY(screenText().endsWith(QStringLiteral("wait...")));
        m_gate.open();
        QTRY_VERIFY(screenText().endsWith(QStringLiteral("Optimization terminated.")));
        QTRY_VERIFY(!window().offersGetWVector());
        QCOMPARE(window().progressBar()->value(), 0);
        QCOMPARE(window().progressBar()->toolTip(), QStringLiteral("No optimization at the moment"));
        QVERIFY(!window().progressBar()->isTextVisible());
    }

    void aCompleteSearchReportsThroughTheWindow() {
        type(QStringLiteral("struct *"));
        type(QStringLiteral("opt 0.4"));
        QTRY_VERIFY_WITH_TIMEOUT(!window().workstation().IsOptimizing(), 20000);
        QTRY_VERIFY(screenText().contains(QStringLiteral("Optimal Kelly's Fraction")));
        QTRY_COMPARE(window().progressBar()->value(), 0);
    }

private:
    karvola::ui::TForm1& window() const { return m_main.window(); }
    QString screenText() const { return m_main.screenText(); }
    QString label(const char* name) const { return m_main.label(name); }
    void type(const QString& line) const { m_main.type(line); }
    static void whenModal(std::function<void(QWidget*)> action) {
        karvola::testing::MainWindowFixture::whenModal(std::move(action));
    }

    WorkerGate m_gate;  // outlives the window, whose optimizer joins the workers it holds
    karvola::testing::MainWindowFixture m_main;
};

}  // namespace

QTEST_MAIN(TForm1Test)
#include "TForm1Test.moc"
