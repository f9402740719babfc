#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <filesystem>
#include <fstream>
#include <thread>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/WindowPlacement.h"
#include "config/ui/TEnterUIDKeyForm.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "database/ui/TResearchDomainSpecForm.h"
#include "database/ui/TSetupGeneralPropertiesForm.h"
#include "ui/MainWindowFixture.h"

// What a person sitting at the window meets in the first minute: a terminal that
// shows its newest line, dialog buttons that can be read and reached, the
// keyboard back on the command line, windows that stay where they were put and
// columns that do not move.
namespace {

using karvola::testing::MainWindowFixture;
using karvola::ui::TerminalScreen;
using karvola::ui::TForm1;

// Whether the last line of the screen's text is the one in view at the bottom.
bool ShowsNewestLine(const TerminalScreen& screen) {
    const QTextCursor bottom = screen.cursorForPosition(QPoint(4, screen.viewport()->height() - 4));
    const QTextBlock last = screen.document()->lastBlock();
    if (bottom.block() != last) return false;
    const QTextLayout* layout = last.layout();
    return layout->lineForTextPosition(bottom.positionInBlock()).lineNumber() == layout->lineCount() - 1;
}

// How far apart the lightest and the darkest pixel of a widget are as its
// window shows it (the dialog's background included): 0 for one colour, 1 for
// black and white.
double Contrast(const QWidget& widget) {
    const QWidget* window = widget.window();
    const QPoint origin = widget.mapTo(window, QPoint(0, 0));
    const QImage image = window->screen()
                             ->grabWindow(window->winId(), origin.x(), origin.y(), widget.width(), widget.height())
                             .toImage();
    if (image.isNull()) return 0.0;
    int lightest = 0;
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            lightest = std::max(lightest, grey);
            darkest = std::min(darkest, grey);
        }
    }
    return (lightest - darkest) / 255.0;
}

// The widgets Tab visits, from the given one round to it again, as Qt chooses them.
QStringList TabOrder(const QWidget& window, QWidget* first) {
    QStringList names;
    QWidget* widget = first;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr &&
            widget->isVisibleTo(&window) && widget->isEnabled()) {
            names << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != first);
    return names;
}

bool CommandLineHasFocus(const TForm1& window) {
    const QWidget* focused = QApplication::focusWidget();
    return focused != nullptr && (focused == window.commandLine() || window.commandLine()->isAncestorOf(focused));
}

void WriteFile(const std::filesystem::path& file, const std::string& content) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

enum class Dialog { DisplayOptions, EnviromentSettings, GeneralProperties, ResearchDomainSpec, EnterUIDKey };

QDialog& DialogOf(const TForm1& window, Dialog dialog) {
    switch (dialog) {
        case Dialog::DisplayOptions:
            return window.displayOptions();
        case Dialog::EnviromentSettings:
            return window.enviromentSettings();
        case Dialog::GeneralProperties:
            return window.generalProperties();
        case Dialog::EnterUIDKey:
            return window.enterUIDKey();
        case Dialog::ResearchDomainSpec:
            break;
    }
    return window.researchDomainSpec();
}

class WindowUsabilityTest final : public QObject {
    Q_OBJECT

private slots:
    void init() { m_main.start(); }
    void cleanup() { m_main.stop(); }

    void theTerminalShowsItsNewestLine() {
        TerminalScreen& screen = *window().statusScreen();
        QTRY_VERIFY(ShowsNewestLine(screen));  // the end of the start-up text
        type(QStringLiteral("struct *"));
        type(QStringLiteral("result [1.5 2.5 1.2]"));
        QTRY_VERIFY(ShowsNewestLine(screen));
        // One line that wraps into many, as a long win/loss sequence does.
        type(QStringLiteral("echo ") + QString(3000, QLatin1Char('1')));
        QTRY_VERIFY(ShowsNewestLine(screen));
        // Narrower, the same text takes more lines; wider, fewer.
        window().resize(TForm1::kMinimumWidth, TForm1::kMinimumHeight);
        QTRY_VERIFY(ShowsNewestLine(screen));
        window().resize(window().defaultSize());
        QTRY_VERIFY(ShowsNewestLine(screen));
    }

    // Lines that wrap are laid out only when drawn, so the screen learns late
    // how many lines they take; the newest line must stay in view all the same.
    void wrappedLinesDoNotPushTheNewestLineOutOfView() {
        TerminalScreen& screen = *window().statusScreen();
        window().resize(TForm1::kMinimumWidth, TForm1::kMinimumHeight);
        karvola::TerminalSink& sink = window().workstation().terminal().sink();
        for (int i = 0; i < 30; ++i) sink.appendLine(std::string(120, '-') + std::to_string(i));
        QTest::qWait(50);  // drawn
        QVERIFY(ShowsNewestLine(screen));
    }

    // While the user reads further up, output from elsewhere (the optimizer's
    // worker) leaves the view alone; back at the end, or after a command, the
    // screen follows again.
    void scrollingUpHoldsTheViewUntilTheUserComesBack() {
        TerminalScreen& screen = *window().statusScreen();
        type(QStringLiteral("struct *"));
        type(QStringLiteral("result [1.5 2.5 1.2]"));
        QScrollBar* bar = screen.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        const int readingAt = bar->value();
        QVERIFY(!screen.followsOutput());

        writeFromAWorker(QStringLiteral("first batch"), 40);
        QCOMPARE(bar->value(), readingAt);
        QVERIFY(!ShowsNewestLine(screen));

        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        writeFromAWorker(QStringLiteral("second batch"), 40);
        QTRY_VERIFY(ShowsNewestLine(screen));

        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        type(QStringLiteral("=2+3"));
        QTRY_VERIFY(ShowsNewestLine(screen));
        QVERIFY(screen.followsOutput());
    }

    void dialogButtonsAreReadableAndComeLastInTabOrder_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<QStringList>("tabOrder");
        QStringList options;
        for (const char* box :
             {"TotalNumberOfBetsCheckBox", "WinningBetsCheckBox", "AverageOddsCheckBox", "StdDevAverageOddsCheckBox",
              "AverageWinningOddsCheckBox", "StdDevAverageWinningOddsCheckBox", "AverageYeldCheckBox",
              "PessimisticAverageYeldCheckBox", "OptimalKellysFractionCheckBox", "BankrollMultiplierForOKFCheckBox",
              "WinningLoosingSequenceCheckBox", "WinningLoosingSequenceEntropyCheckBox"}) {
            options << QString::fromLatin1(box);
        }
        QTest::newRow("display options") << static_cast<int>(Dialog::DisplayOptions)
                                         << (options << QStringLiteral("OkSpeedButton")
                                                     << QStringLiteral("CancelSpeedButton"));
        QTest::newRow("environment settings")
            << static_cast<int>(Dialog::EnviromentSettings)
            << QStringList{QStringLiteral("DataSourceFileNameEdit"), QStringLiteral("BrowseSpeedButton"),
                           QStringLiteral("TimeZoneComboBox"),       QStringLiteral("UIDEdit"),
                           QStringLiteral("OKSpeedButton"),          QStringLiteral("CancelSpeedButton")};
        QTest::newRow("general properties")
            << static_cast<int>(Dialog::GeneralProperties)
            << QStringList{QStringLiteral("CompartmentInfimumEdit"), QStringLiteral("CompartmentSupremumEdit"),
                           QStringLiteral("BNDEdit"), QStringLiteral("OkButton"), QStringLiteral("CancelButton")};
        QTest::newRow("research domain") << static_cast<int>(Dialog::ResearchDomainSpec)
                                         << QStringList{QStringLiteral("ResearchDomainCheckListBox"),
                                                        QStringLiteral("OkSpeedButton"),
                                                        QStringLiteral("CancelSpeedButton")};
        QTest::newRow("identity key") << static_cast<int>(Dialog::EnterUIDKey)
                                      << QStringList{QStringLiteral("UIDEdit"), QStringLiteral("OKSpeedButton"),
                                                     QStringLiteral("CancelSpeedButton")};
    }

    void dialogButtonsAreReadableAndComeLastInTabOrder() {
        QFETCH(int, dialog);
        QFETCH(QStringList, tabOrder);
        type(QStringLiteral("struct *"));  // so that the range of the properties can be edited
        QDialog& shown = DialogOf(window(), static_cast<Dialog>(dialog));
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));

        auto* first = shown.findChild<QWidget*>(tabOrder.constFirst());
        QVERIFY(first != nullptr);
        QCOMPARE(TabOrder(shown, first), tabOrder);
        for (const QString& name : {tabOrder.at(tabOrder.size() - 2), tabOrder.constLast()}) {
            auto* button = shown.findChild<QPushButton*>(name);
            QVERIFY2(Contrast(*button) > 0.5, qPrintable(name + QStringLiteral(" cannot be read")));
        }
        shown.reject();
    }

    void theCommandLineGetsTheKeyboardBack() {
        type(QStringLiteral("struct *"));
        // Windows shown by a command must not keep the keyboard.
        for (const char* line : {"sim [1.5 2.5 1.2] 0.05", "pe_sim{0.05} ODDS1<2?BET1", "sbp", "sch"}) {
            type(QString::fromLatin1(line));
            QTest::qWait(50);  // window activations arrive as events
            QVERIFY2(CommandLineHasFocus(window()), line);
        }
        QVERIFY(window().simulationTable().isVisible());

        // The speed buttons never take the keyboard, and their dialogs give it back.
        for (const char* name : {"SpeedButton1", "GeneralPropertiesSpeedButton"}) {
            auto* button = window().findChild<QPushButton*>(QString::fromLatin1(name));
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            MainWindowFixture::whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::qWait(50);
            QVERIFY2(CommandLineHasFocus(window()), name);
        }

        // Menu dialogs give it back even when something else had it before.
        for (auto open : {&TForm1::DisplayOptionsMenuItemClick, &TForm1::EnviromentSettingsMenuItemClick,
                          &TForm1::GeneralPropertiesMenuItemClick}) {
            window().findChild<QListWidget*>(QStringLiteral("ResearchDomainListBox"))->setFocus();
            MainWindowFixture::whenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
            (window().*open)();
            QTest::qWait(50);
            QVERIFY(CommandLineHasFocus(window()));
        }
    }

    void theBannerFitsAtTheDefaultSize() {
        QCOMPARE(window().size(), window().defaultSize());
        QVERIFY(window().minimumSize().width() <= 890 && window().minimumSize().height() <= 599);
        QVERIFY(window().minimumSizeHint().width() <= 890 && window().minimumSizeHint().height() <= 599);
        QCOMPARE(window().findChild<QTabWidget*>(QStringLiteral("MainTabs"))->tabText(0), QStringLiteral("Main"));

        const TerminalScreen& screen = *window().statusScreen();
        int rules = 0;
        for (QTextBlock block = screen.document()->begin(); block.isValid(); block = block.next()) {
            if (block.text().size() > 87) continue;
            screen.document()->documentLayout()->blockBoundingRect(block);  // lays the block out
            QVERIFY2(block.layout()->lineCount() == 1, qPrintable(block.text()));
            if (block.text() == QString(87, QLatin1Char('-'))) ++rules;
        }
        QCOMPARE(rules, 2);
    }

    void dialogsReopenWhereTheyWere_data() {
        QTest::addColumn<int>("dialog");
        QTest::newRow("display options") << static_cast<int>(Dialog::DisplayOptions);
        QTest::newRow("environment settings") << static_cast<int>(Dialog::EnviromentSettings);
        QTest::newRow("identity key") << static_cast<int>(Dialog::EnterUIDKey);
    }

    void dialogsReopenWhereTheyWere() {
        QFETCH(int, dialog);
        QDialog& shown = DialogOf(window(), static_cast<Dialog>(dialog));
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        const QPoint offCentre = shown.geometry().center() - window().geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, "first opened over the middle of the main window");
        const QPoint first = shown.geometry().topLeft();
        shown.reject();
        shown.show();
        QCOMPARE(shown.geometry().topLeft(), first);

        shown.move(shown.pos() + QPoint(37, 23));  // the user drags it aside
        const QPoint moved = shown.geometry().topLeft();
        shown.reject();
        shown.show();
        QCOMPARE(shown.geometry().topLeft(), moved);
        shown.reject();
    }

    void simulationWindowsReopenWhereTheyWere() {
        type(QStringLiteral("struct *"));
        type(QStringLiteral("sim [1.5 2.5 1.2] 0.05"));
        auto& preview = window().simulationTable();
        auto& chart = window().optimizingChart();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        const int screenWidth = preview.screen()->availableGeometry().width();
        QVERIFY2(preview.width() >= std::min(preview.columnsWidth(), screenWidth), "every column shows");

        for (QWidget* shown : {static_cast<QWidget*>(&preview), static_cast<QWidget*>(&chart)}) {
            shown->move(shown->pos() + QPoint(41, 29));  // the user drags it aside and enlarges it
            shown->resize(shown->size() + QSize(17, 13));
            const QRect placed = shown->geometry();
            shown->close();
            type(QStringLiteral("sbp"));
            type(QStringLiteral("sch"));
            QVERIFY(shown->isVisible());
            QCOMPARE(shown->geometry(), placed);
        }
    }

    // After struct and sim on a screen too narrow to put them beside the main
    // window, the Bets Preview and the chart open over its upper part: the
    // menu, the command line and the newest terminal lines stay in sight.
    void resultWindowsLeaveTheCommandLineInSight() {
        type(QStringLiteral("struct *"));
        type(QStringLiteral("sim [1.5 2.5 1.2] 0.05"));
        auto& preview = window().simulationTable();
        auto& chart = window().optimizingChart();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        const QWidget& commandLine = *window().commandLine();
        const QRect commandRect(commandLine.mapToGlobal(QPoint(0, 0)), commandLine.size());
        const TerminalScreen& screen = *window().statusScreen();
        const int newestTop = screen.mapToGlobal(QPoint(0, screen.height())).y() -
                              TForm1::kNewestLinesInSight * screen.fontMetrics().lineSpacing();
        const int menuBottom = window().menuBar()->mapToGlobal(QPoint(0, window().menuBar()->height())).y();
        for (const QWidget* shown : {static_cast<QWidget*>(&preview), static_cast<QWidget*>(&chart)}) {
            const QRect frame = shown->frameGeometry();
            QVERIFY2(!frame.intersects(commandRect), qPrintable(shown->windowTitle()));
            QVERIFY2(frame.bottom() < newestTop, qPrintable(shown->windowTitle()));
            if (frame.intersects(window().frameGeometry())) QVERIFY(frame.top() >= menuBottom);
        }
    }

    // Frames in screen coordinates: beside the main window where there is room,
    // else over the coverable part, shortened to end above what stays in sight.
    void firstResultFrameGoesBesideElseOverTheUpperPart_data() {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("mainFrame");
        QTest::addColumn<QRect>("expected");
        const QRect wide(300, 50, 1000, 700);  // on a 1920x1080 screen, coverable from y 120 to 500
        QTest::newRow("room on the right") << QSize(500, 400) << wide << QRect(1300, 50, 500, 400);
        QTest::newRow("room on the left only")
            << QSize(290, 400) << QRect(320, 50, 1500, 700) << QRect(30, 50, 290, 400);
        QTest::newRow("no room beside: over the upper part, right-aligned")
            << QSize(800, 300) << QRect(100, 50, 1750, 700) << QRect(1050, 120, 800, 300);
        QTest::newRow("no room beside: shortened above the newest lines")
            << QSize(800, 500) << QRect(100, 50, 1750, 700) << QRect(1050, 120, 800, 381);
        QTest::newRow("higher than the screen beside it") << QSize(500, 1200) << wide << QRect(1300, 0, 500, 1080);
    }
    void firstResultFrameGoesBesideElseOverTheUpperPart() {
        QFETCH(QSize, frame);
        QFETCH(QRect, mainFrame);
        QFETCH(QRect, expected);
        const QRect available(0, 0, 1920, 1080);
        const QRect coverable(mainFrame.left(), 120, mainFrame.width(), 381);
        QCOMPARE(karvola::ui::FirstResultFrame(frame, mainFrame, coverable, available), expected);
    }

    // Up and Down walk the commands newest first, as a shell does, and come
    // back to what was being typed; the drop-down keeps the order of entry.
    void upAndDownWalkTheHistoryNewestFirst() {
        QLineEdit* edit = window().commandLine()->lineEdit();
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QString());  // nothing entered yet in this run
        for (const char* line : {"=1", "=2", "=3"}) type(QString::fromLatin1(line));
        QTest::keyClicks(edit, QStringLiteral("=4"));
        const struct {
            Qt::Key key;
            const char* shown;
        } steps[] = {{Qt::Key_Up, "=3"},   {Qt::Key_Up, "=2"},   {Qt::Key_Up, "=1"},   {Qt::Key_Up, "=1"},
                     {Qt::Key_Down, "=2"}, {Qt::Key_Down, "=3"}, {Qt::Key_Down, "=4"}, {Qt::Key_Down, "=4"}};
        for (const auto& step : steps) {
            QTest::keyClick(edit, step.key);
            QCOMPARE(edit->text(), QString::fromLatin1(step.shown));
        }
        QCOMPARE(window().commandLine()->itemText(0), QStringLiteral("=1"));
        // A recalled command entered again is the newest one.
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Up);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QStringLiteral("=2"));
    }

    // The default size fits the screen with its frame; a wider window gives
    // the General column a quarter of the difference.
    void theWindowFitsTheScreenAndWidensTheGeneralColumn() {
        const QRect available = window().screen()->availableGeometry();
        QVERIFY(window().defaultSize().height() + 40 <= available.height());
        const auto* general = window().findChild<QGroupBox*>(QStringLiteral("GeneralGroup"));
        const int generalWidth = general->width();
        window().resize(window().width() + 200, window().height());
        QTRY_VERIFY(general->width() >= generalWidth + 45);
    }

    // The General column keeps its width whatever the data base label says.
    void theColumnsStayWhenTheLabelsChange() {
        const auto* general = window().findChild<QGroupBox*>(QStringLiteral("GeneralGroup"));
        const int generalWidth = general->width();
        const int terminalWidth = window().statusScreen()->width();

        const auto corrupt = m_main.folder() / "DataBase" / "corrupt.txt";
        WriteFile(corrupt, "not a data base\r\n");
        loadThroughTheMenu(corrupt);
        QCOMPARE(m_main.label("DataBaseNameLabel"), QStringLiteral("No database loaded"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(general->width(), generalWidth);
        QCOMPARE(window().statusScreen()->width(), terminalWidth);
    }

    void theDataBaseLabelShowsThePathWhole_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::newRow("a long path") << QStringLiteral("a folder whose name alone is wider than the label")
                                     << QStringLiteral("sample.txt");
        QTest::newRow("letters beyond ASCII") << QStringLiteral("Mecze") << QStringLiteral("Łódź.txt");
    }

    // A path that does not fit loses its middle, never its ends; the tooltip has it all.
    void theDataBaseLabelShowsThePathWhole() {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        const std::filesystem::path base = m_main.folder() / folder.toStdString() / file.toStdString();
        std::filesystem::create_directories(base.parent_path());
        std::filesystem::copy_file(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt", base);
        loadThroughTheMenu(base);

        const auto* label = window().findChild<QLabel*>(QStringLiteral("DataBaseNameLabel"));
        const QString path = QString::fromStdString(base.string());
        QCOMPARE(label->toolTip(), path);
        const QString shown = label->text();
        QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
        QVERIFY2(shown.startsWith(path.left(4)) && shown.endsWith(file), qPrintable(shown));
        QVERIFY(shown.contains(QChar(0x2026)));  // "…" where the middle was
    }

    void messageBoxesShowTheirWholeCaption() {
        const QString caption = QStringLiteral("Compartment Supremum Property error");
        const auto box = karvola::ui::MakeMessageBox(&window(), QMessageBox::Warning, caption,
                                                     QStringLiteral("Domain error"), QMessageBox::Ok);
        box->show();
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        // Beside the caption a title bar holds an icon and three buttons.
        QVERIFY(box->width() >= QFontMetrics(titleFont).horizontalAdvance(caption) + 100);
    }

private:
    TForm1& window() const { return m_main.window(); }
    void type(const QString& line) const { m_main.type(line); }

    // Lines written as the optimizer's worker writes them: from another thread.
    void writeFromAWorker(const QString& text, int count) {
        karvola::TerminalSink& sink = window().workstation().terminal().sink();
        const std::string line = text.toStdString();
        std::thread([&sink, &line, count] {
            for (int i = 0; i < count; ++i) sink.appendLine(line);
        }).join();
        QTRY_COMPARE(m_main.screenText().count(text), count);
    }

    // File > Load Data Base... with the file chosen in the dialog.
    void loadThroughTheMenu(const std::filesystem::path& file) {
        MainWindowFixture::whenModal([file](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            QVERIFY(chooser != nullptr);
            chooser->selectFile(QString::fromStdString(file.string()));
            static_cast<QDialog*>(chooser)->accept();  // the file dialog's own accept, which checks the file
        });
        window().LoadDataBaseMenuItemClick();
    }

    MainWindowFixture m_main;
};

}  // namespace

QTEST_MAIN(WindowUsabilityTest)
#include "WindowUsabilityTest.moc"
