#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <initializer_list>
#include <memory>

#include "tools/ui/TAddEventForm.h"
#include "tools/ui/TBettingmanagerForm.h"
#include "ui/Latin1Texts.h"
#include "ui/MainWindowFixture.h"
#include "ui/RecordingMessageBoxes.h"

namespace {

using karvola::testing::MainWindowFixture;
using karvola::testing::RecordingMessageBoxes;
using karvola::ui::TAddEventForm;
using karvola::ui::TBettingmanagerForm;

using karvola::testing::Latin1Texts;

QList<QStringList> Rows(std::initializer_list<std::initializer_list<const char*>> rows) {
    QList<QStringList> list;
    for (const auto& row : rows) list << Latin1Texts(row);
    return list;
}

class BettingManagerWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_form = std::make_unique<TBettingmanagerForm>(*m_boxes);
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void cleanup() {
        m_form.reset();
        m_boxes.reset();
    }

    void opensWithItsDefaults() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Betting Manager Platform"));
        QCOMPARE(edit("CapitalBallanceEdit")->text(), QStringLiteral("1000,0"));
        QCOMPARE(edit("R1_45")->text(), QStringLiteral("0,07"));
        QCOMPARE(edit("R2_60")->text(), QStringLiteral("0,30"));
        QCOMPARE(label("SumOfStakeLabel"), QStringLiteral("0,00"));
        QCOMPARE(label("CBp"), QStringLiteral("0,000"));
        QTableWidget* grid = m_form->eventStringGrid();
        QCOMPARE(grid->rowCount(), 1);  // the blank row
        const QStringList headers{QStringLiteral("Event"), QStringLiteral("Odds"), QStringLiteral("Stake")};
        const int widths[] = {180, 91};
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(grid->horizontalHeaderItem(column)->text(), headers[column]);
            if (column < 2) QCOMPARE(grid->columnWidth(column), widths[column]);
        }
        QVERIFY(grid->columnWidth(2) >= 64);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // Add Item opens "Add Event", which takes one bet after another until Close.
    void addWritesEachBetIntoTheBlankRow() {
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<TAddEventForm*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Add Event"));
            QCOMPARE(dialog->focusWidget(), dialog->eventEdit());
            QTest::keyClicks(dialog->eventEdit(), QStringLiteral("Liverpool - West Ham"));
            QTest::keyClicks(dialog->courseEdit(), QStringLiteral("1,27"));
            click(*dialog, "AddButton");
            QCOMPARE(dialog->eventEdit()->text(), QString());
            QCOMPARE(dialog->courseEdit()->text(), QString());
            QCOMPARE(dialog->focusWidget(), dialog->eventEdit());
            QTest::keyClicks(dialog->eventEdit(), QStringLiteral("Arsenal - Man City"));
            QTest::keyClicks(dialog->courseEdit(), QStringLiteral("4.0"));
            QTest::keyClick(dialog->courseEdit(), Qt::Key_Return);  // Enter adds too
            QVERIFY(dialog->isVisible());
            click(*dialog, "CloseButton");
        });
        click(*m_form, "AddButton");
        QCOMPARE(rows(), Rows({{"Liverpool - West Ham", "1,27", ""}, {"Arsenal - Man City", "4.0", ""}}));
        QCOMPARE(m_form->eventStringGrid()->rowCount(), 3);
        QVERIFY(m_boxes->texts.isEmpty());
    }

    void addRefusesOddsThatAreNoNumber() {
        TAddEventForm& dialog = m_form->addEventForm();
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.eventEdit()->setText(QStringLiteral("Wolves - Everton"));
        dialog.courseEdit()->setText(QStringLiteral("2,38a"));
        click(dialog, "AddButton");
        QCOMPARE(m_boxes->captions, QStringList{QStringLiteral("Error")});
        QCOMPARE(m_boxes->texts, QStringList{QStringLiteral("Invalid course value")});
        QCOMPARE(dialog.focusWidget(), dialog.courseEdit());
        QCOMPARE(dialog.courseEdit()->text(), QStringLiteral("2,38a"));  // left to be mended
        QCOMPARE(m_form->eventStringGrid()->rowCount(), 1);
    }

    void deleteRemovesTheSelectedBlock_data() {
        QTest::addColumn<int>("top");  // rows of the widget: bets A to D in 0 to 3, the blank row 4
        QTest::addColumn<int>("bottom");
        QTest::addColumn<QStringList>("remaining");
        // clang-format off
        QTest::newRow("a block") << 1 << 2 << Latin1Texts({"A", "D"});
        QTest::newRow("down to the blank row") << 2 << 4 << Latin1Texts({"A", "B"});
        QTest::newRow("everything") << 0 << 4 << QStringList();
        QTest::newRow("the blank row stays") << 4 << 4 << Latin1Texts({"A", "B", "C", "D"});
        QTest::newRow("nothing selected") << -1 << -1 << Latin1Texts({"A", "B", "C", "D"});
        // clang-format on
    }

    void deleteRemovesTheSelectedBlock() {
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(QStringList, remaining);
        for (const char* event : {"A", "B", "C", "D"}) addBet(QString::fromLatin1(event), QStringLiteral("2,0"));
        QTableWidget* grid = m_form->eventStringGrid();
        grid->clearSelection();
        grid->setCurrentItem(nullptr);
        if (top >= 0) grid->setRangeSelected(QTableWidgetSelectionRange(top, 0, bottom, 2), true);
        click(*m_form, "DeleteButton");
        QStringList events;
        for (const QStringList& row : rows()) events << row[0];
        QCOMPARE(events, remaining);
        QCOMPARE(grid->rowCount(), remaining.size() + 1);
        QCOMPARE(grid->item(grid->rowCount() - 1, 0)->text(), QString());
        // The rows that moved up into the block are not selected for a second Delete.
        QVERIFY(grid->selectedRanges().isEmpty());
        click(*m_form, "DeleteButton");
        QCOMPARE(grid->rowCount(), remaining.size() + 1);
    }

    void clearLeavesTheBlankRow() {
        addBet(QStringLiteral("A"), QStringLiteral("1,45"));
        addBet(QStringLiteral("B"), QStringLiteral("2,5"));
        click(*m_form, "ClearButton");
        QCOMPARE(m_form->eventStringGrid()->rowCount(), 1);
        QVERIFY(rows().isEmpty());
    }

    void startWritesStakesAndTotals() {
        addBet(QStringLiteral("Watford - Brighton"), QStringLiteral("1,45"));
        addBet(QStringLiteral("No bet"), QStringLiteral("1.0"));
        click(*m_form, "StartButton");
        QCOMPARE(rows(), Rows({{"Watford - Brighton", "1,45", "155.56"}, {"No bet", "1.0", "0,00"}}));
        QCOMPARE(label("SumOfStakeLabel"), QStringLiteral("155.56"));
        QCOMPARE(label("CBp"), QStringLiteral("15.556"));
        QVERIFY(m_boxes->texts.isEmpty());

        // An English decimal point serves as well as the comma.
        edit("CapitalBallanceEdit")->setText(QStringLiteral("2000.0"));
        click(*m_form, "StartButton");
        QCOMPARE(label("SumOfStakeLabel"), QStringLiteral("311.11"));
        QCOMPARE(label("CBp"), QStringLiteral("15.556"));
    }

    void startReportsTheFirstInvalidField_data() {
        QTest::addColumn<QString>("capital");
        QTest::addColumn<QString>("r1");
        QTest::addColumn<QString>("r2");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("focused");
        // clang-format off
        QTest::newRow("capital") << "1000 EUR" << "0,07" << "0,30" << "Invalid Capital Ballance value"
                                 << "CapitalBallanceEdit";
        QTest::newRow("no capital") << "0" << "x" << "0,30" << "Invalid Capital Ballance value"
                                    << "CapitalBallanceEdit";
        QTest::newRow("R1") << "1000,0" << "" << "0,30" << "Invalid Rent value" << "R1_45";
        QTest::newRow("R2") << "1000,0" << "0,07" << "0,3 0" << "Invalid Rent value" << "R2_60";
        // clang-format on
    }

    void startReportsTheFirstInvalidField() {
        QFETCH(QString, capital);
        QFETCH(QString, r1);
        QFETCH(QString, r2);
        QFETCH(QString, text);
        QFETCH(QString, focused);
        addBet(QStringLiteral("A"), QStringLiteral("1,45"));
        edit("CapitalBallanceEdit")->setText(capital);
        edit("R1_45")->setText(r1);
        edit("R2_60")->setText(r2);
        edit("CapitalBallanceEdit")->setFocus();  // wherever the user was; Start takes it from there
        click(*m_form, "StartButton");
        QCOMPARE(m_boxes->captions, QStringList{QStringLiteral("Error")});
        QCOMPARE(m_boxes->texts, QStringList{text});
        QCOMPARE(m_form->focusWidget()->objectName(), focused);
        // The window stays as it was.
        QCOMPARE(rows(), Rows({{"A", "1,45", ""}}));
        QCOMPARE(label("SumOfStakeLabel"), QStringLiteral("0,00"));
    }

    // Every caption can be read whole: nothing is squeezed below what it asks for.
    void controlsShowTheirWholeCaptions() {
        for (const QPushButton* button : m_form->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        }
        for (const QLabel* label : m_form->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;  // the Add Event dialog's
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
        }
        const QTableWidget* grid = m_form->eventStringGrid();
        int columns = 0;
        for (int column = 0; column < grid->columnCount(); ++column) columns += grid->columnWidth(column);
        QVERIFY(grid->viewport()->width() >= columns);
    }

    void tabVisitsTheEditsTheGridThenTheButtons() {
        QStringList order;
        QWidget* widget = edit("CapitalBallanceEdit");
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isVisibleTo(m_form.get())) {
                order << widget->objectName();
            }
            widget = widget->nextInFocusChain();
        } while (widget != edit("CapitalBallanceEdit"));
        QCOMPARE(order, Latin1Texts({"CapitalBallanceEdit", "R1_45", "R2_60", "EventStringGrid", "AddButton",
                                     "DeleteButton", "ClearButton", "StartButton", "CloseButton"}));
    }

    // The item is visible under Tools, opens the window and gives the keyboard back to the command line.
    void theToolsMenuOpensIt() {
        m_form.reset();
        MainWindowFixture main;
        main.start();
        QAction* item = main.window().findChild<QAction*>(QStringLiteral("Be1"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Betting Manager"));
        QVERIFY(item->isVisible());
        QMenu* tools = nullptr;
        for (QAction* menu : main.window().menuBar()->actions()) {
            if (menu->text() == QStringLiteral("&Tools")) tools = menu->menu();
        }
        QVERIFY(tools != nullptr && tools->actions().contains(item));

        QString caption;
        MainWindowFixture::whenModal([&caption](QWidget* dialog) {
            caption = dialog->windowTitle();
            dialog->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        item->trigger();
        QCOMPARE(caption, QStringLiteral("Betting Manager Platform"));
        QWidget* focused = main.window().focusWidget();
        QVERIFY(focused == main.window().commandLine() || main.window().commandLine()->isAncestorOf(focused));
        main.stop();
    }

private:
    void addBet(const QString& event, const QString& course) const {
        TAddEventForm& dialog = m_form->addEventForm();
        dialog.eventEdit()->setText(event);
        dialog.courseEdit()->setText(course);
        dialog.AddButtonClick();
    }

    // The bets' cells, the blank last row left out.
    QList<QStringList> rows() const {
        const QTableWidget* grid = m_form->eventStringGrid();
        QList<QStringList> cells;
        for (int row = 0; row + 1 < grid->rowCount(); ++row) {
            cells << QStringList{grid->item(row, 0)->text(), grid->item(row, 1)->text(), grid->item(row, 2)->text()};
        }
        return cells;
    }

    static void click(const QWidget& window, const char* button) {
        // The Add Event dialog, a child of the manager, has buttons of the same names.
        QPushButton* found = window.findChild<QPushButton*>(QString::fromLatin1(button), Qt::FindDirectChildrenOnly);
        QVERIFY(found != nullptr);
        QTest::mouseClick(found, Qt::LeftButton);
    }

    QLineEdit* edit(const char* name) const { return m_form->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QString label(const char* name) const { return m_form->findChild<QLabel*>(QString::fromLatin1(name))->text(); }

    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<TBettingmanagerForm> m_form;
};

}  // namespace

QTEST_MAIN(BettingManagerWindowTest)
#include "BettingManagerWindowTest.moc"
