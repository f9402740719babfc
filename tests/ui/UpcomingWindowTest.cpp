#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config/ui/TEnterUIDKeyForm.h"
#include "support/UpcomingDocumentText.h"
#include "ui/Latin1Texts.h"
#include "ui/MainWindowFixture.h"
#include "ui/UrlRecorder.h"
#include "upcoming/ui/TUpcomingMatchesDisplayForm.h"

// The upcoming matches in the main window: the list a rule bets on, the
// details of the selected match, hiding matches, the bookmakers' home pages,
// the identity key dialog and a service that takes its time to answer.
namespace {

using karvola::testing::MainWindowFixture;
using karvola::testing::UrlRecorder;
using karvola::ui::TEnterUIDKeyForm;
using karvola::ui::TUpcomingMatchesDisplayForm;

constexpr const char* kPath = "/download_upcomings_service.php";
const QString kRetrieving = QStringLiteral("Retrieving upcoming matches from remote host 127.0.0.1:8470...");

struct Offer {
    const char* bookmaker;
    const char* odds1;
    const char* odds0;
    const char* odds2;
};

std::string Event(qint64 start, const std::string& teams, const std::vector<Offer>& offers) {
    std::string elements;
    for (const Offer& offer : offers) {
        elements += karvola::testing::OfferElements(offer.bookmaker, offer.odds1, offer.odds0, offer.odds2);
    }
    return karvola::testing::SportEventElement(std::to_string(start), "England, Premier League", teams, elements);
}

// Three matches of the sample base's category, tomorrow, priced by its bookmakers.
std::string Reply() {
    const qint64 tomorrow = QDateTime::currentSecsSinceEpoch() + 86400;
    const std::string document =
        karvola::testing::kUpcomingVersion +
        Event(tomorrow, "Arsenal - Chelsea", {{"B365", "2.00", "3.00", "4.00"}, {"BW", "2.00", "2.90", "4.10"}}) +
        Event(tomorrow + 3600, "Everton - Fulham", {{"B365", "1.50", "4.0", "6.0"}}) +
        Event(tomorrow + 7200, "Leeds - Wolves", {{"PS", "2.60", "3.1", "2.7"}, {"WH", "2.6", "3.2", "2.7"}});
    return karvola::testing::UpcomingReply(document);
}

using karvola::testing::Latin1Texts;

// Arsenal bet10, Everton bet1, Leeds bet102, in the document's order.
const QString kMixedRule = QStringLiteral("pe_upcoming ODDS1<1.6?BET1:ODDS1<2.1?BET10:BET102");

class UpcomingWindowTest final : public QObject {
    Q_OBJECT

    // The sample base with every category in the research domain and a service
    // that has the three matches.
    void start(std::optional<std::string> directory = MainWindowFixture::SampleDirectory(), const char* key = "demo") {
        m_main.start(std::move(directory));
        m_main.type(QStringLiteral("struct *"));
        m_main.window().workstation().config().SetUIDKey(key);
        m_main.http().answer(kPath, Reply());
    }

    // A command that lists matches, once the window shows its listing.
    void listWith(const QString& line) const {
        QSignalSpy shown(&form(), &TUpcomingMatchesDisplayForm::listingShown);
        m_main.type(line);
        QTRY_COMPARE(shown.count(), 1);
    }

    [[nodiscard]] TUpcomingMatchesDisplayForm& form() const { return m_main.window().upcomingMatches(); }
    [[nodiscard]] QTreeWidget& listView() const {
        return *form().findChild<QTreeWidget*>(QStringLiteral("UpcomingMatchesListView"));
    }
    [[nodiscard]] QAction& deleteAction() const {
        return *form().findChild<QAction*>(QStringLiteral("Deletethismatchfromlistdontshowagain1"));
    }
    [[nodiscard]] QString text(const QString& label) const { return form().findChild<QLabel*>(label)->text(); }
    [[nodiscard]] QString text(const char* label) const { return text(QString::fromLatin1(label)); }
    [[nodiscard]] QListWidget& list(const QString& name) const { return *form().findChild<QListWidget*>(name); }
    [[nodiscard]] QStringList column(int index) const {
        QStringList cells;
        for (int row = 0; row < listView().topLevelItemCount(); ++row)
            cells << listView().topLevelItem(row)->text(index);
        return cells;
    }
    [[nodiscard]] int currentRow() const { return listView().indexOfTopLevelItem(listView().currentItem()); }

    void clickRow(int row) const {
        const QRect rect = listView().visualItemRect(listView().topLevelItem(row));
        QTest::mouseClick(listView().viewport(), Qt::LeftButton, {}, rect.center());
    }

    // The colour a list box shows where it has no items.
    [[nodiscard]] static QColor background(QListWidget& list) {
        const QImage image = list.grab().toImage();
        return image.pixelColor(image.width() - 6, image.height() - 6);
    }

private slots:
    void cleanup() { m_main.stop(); }

    void theWindowListsTheMatchesTheRuleBetsOn() {
        start();
        listWith(kMixedRule);
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QCOMPARE(form().windowTitle(), QStringLiteral("Upcoming Events for your current research domain"));
        QVERIFY(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(form().windowType(), Qt::Tool);
        const QPoint offCentre = form().geometry().center() - m_main.window().geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2, "opens over the middle of the main window");
        // The keyboard stays with the command line for the next command.
        QTest::qWait(50);
        QVERIFY(m_main.window().commandLine()->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == m_main.window().commandLine());

        QCOMPARE(column(0), Latin1Texts({"1", "2", "3"}));
        QCOMPARE(column(2), QStringList(3, QStringLiteral("England, Premier League")));
        QCOMPARE(column(3), Latin1Texts({"Arsenal - Chelsea", "Everton - Fulham", "Leeds - Wolves"}));
        QCOMPARE(column(4), Latin1Texts({"2.00", "1.50", "2.60"}));
        QCOMPARE(column(5), Latin1Texts({"3.00", "4.0", "3.2"}));
        QCOMPARE(column(6), Latin1Texts({"4.10", "6.0", "2.7"}));
        QCOMPARE(column(7), Latin1Texts({"bet10", "bet1", "bet102"}));
        QCOMPARE(column(8), QStringList(3, QString()));

        // Every column at least as wide as designed, and wide enough for its caption and texts.
        const std::vector<std::pair<QString, int>> designed{
            {QStringLiteral("No."), 40},    {QStringLiteral("Start"), 90},    {QStringLiteral("Category"), 150},
            {QStringLiteral("Teams"), 250}, {QStringLiteral("1"), 50},        {QStringLiteral("X"), 50},
            {QStringLiteral("2"), 50},      {QStringLiteral("Decision"), 70}, {QStringLiteral("Stake"), 70}};
        QCOMPARE(static_cast<std::size_t>(listView().columnCount()), designed.size());
        const QAbstractItemView& view = listView();
        for (int index = 0; index < listView().columnCount(); ++index) {
            const auto& [caption, width] = designed.at(static_cast<std::size_t>(index));
            QCOMPARE(listView().headerItem()->text(index), caption);
            QVERIFY2(listView().columnWidth(index) >= width, qPrintable(caption));
            QVERIFY2(listView().columnWidth(index) >= view.sizeHintForColumn(index), qPrintable(caption));
            QVERIFY2(listView().columnWidth(index) >= listView().header()->sectionSizeHint(index), qPrintable(caption));
        }
        QVERIFY2(listView().viewport()->width() >= listView().header()->length(), "every column shows");
        QVERIFY2(listView().viewport()->width() - listView().header()->length() <=
                     listView().verticalScrollBar()->sizeHint().width(),
                 "no wider than its columns");

        // The first row is selected and detailed.
        QCOMPARE(currentRow(), 0);
        QCOMPARE(text("TeamsLabel"), QStringLiteral("Arsenal - Chelsea"));
        QCOMPARE(text("DateTimeLabel"), column(1).constFirst());
        QCOMPARE(text("CategoryLabel"), QStringLiteral("England, Premier League"));
        QVERIFY(deleteAction().isEnabled());
        QCOMPARE(deleteAction().text(), QStringLiteral("Delete this match from list && don't show again"));
    }

    void theDetailsFollowTheSelectedMatch_data() {
        QTest::addColumn<QList<int>>("clicks");  // rows clicked in turn; -1: the Down key
        QTest::addColumn<QString>("teams");
        QTest::addColumn<QStringList>("maxOdds");
        QTest::addColumn<QList<QStringList>>("bookmakers");
        QTest::addColumn<QList<bool>>("highlighted");
        QTest::addColumn<QStringList>("stakes");
        const QStringList bet10Stakes = Latin1Texts({"60.00% of stake for bet1", "40.00% of stake for bet0", ""});
        QTest::newRow("bet10 splits the stake over home and draw")
            << QList<int>{1, 0} << "Arsenal - Chelsea"
            << Latin1Texts({"Max Odds 1 = 2.00", "Max Odds 0 = 3.00", "Max Odds 2 = 4.10"})
            << QList<QStringList>{Latin1Texts({"B365", "BW"}), Latin1Texts({"B365"}), Latin1Texts({"BW"})}
            << QList<bool>{true, true, false} << bet10Stakes;
        QTest::newRow("bet1 by the arrow key")
            << QList<int>{-1} << "Everton - Fulham"
            << Latin1Texts({"Max Odds 1 = 1.50", "Max Odds 0 = 4.0", "Max Odds 2 = 6.0"})
            << QList<QStringList>{Latin1Texts({"B365"}), Latin1Texts({"B365"}), Latin1Texts({"B365"})}
            << QList<bool>{true, false, false} << Latin1Texts({"100% of stake for bet1", "", ""});
        QTest::newRow("bet102 keeps the stakes shown before")
            << QList<int>{0, 2} << "Leeds - Wolves"
            << Latin1Texts({"Max Odds 1 = 2.60", "Max Odds 0 = 3.2", "Max Odds 2 = 2.7"})
            << QList<QStringList>{Latin1Texts({"PS", "WH"}), Latin1Texts({"WH"}), Latin1Texts({"PS", "WH"})}
            << QList<bool>{true, true, true} << bet10Stakes;
    }

    void theDetailsFollowTheSelectedMatch() {
        QFETCH(QList<int>, clicks);
        QFETCH(QString, teams);
        QFETCH(QStringList, maxOdds);
        QFETCH(QList<QStringList>, bookmakers);
        QFETCH(QList<bool>, highlighted);
        QFETCH(QStringList, stakes);
        start();
        listWith(kMixedRule);
        for (const int row : clicks) {
            if (row < 0) {
                QTest::keyClick(&listView(), Qt::Key_Down);
            } else {
                clickRow(row);
            }
        }
        QCOMPARE(text("TeamsLabel"), teams);
        QCOMPARE(text("DateTimeLabel"), column(1).at(currentRow()));
        const QStringList outcomes = Latin1Texts({"1", "0", "2"});
        for (int outcome = 0; outcome < 3; ++outcome) {
            const QString& suffix = outcomes.at(outcome);
            QCOMPARE(text(QStringLiteral("MaxOdds") + suffix + QStringLiteral("Label")), maxOdds.at(outcome));
            QCOMPARE(text(QStringLiteral("Odds") + suffix + QStringLiteral("StakeLabel")), stakes.at(outcome));
            QListWidget& box = list(QStringLiteral("BookmakersMaxOdds") + suffix + QStringLiteral("ListBox"));
            QStringList names;
            for (int item = 0; item < box.count(); ++item) names << box.item(item)->text();
            QCOMPARE(names, bookmakers.at(outcome));
            QCOMPARE(box.toolTip(), QStringLiteral("Click on bookmaker to visit homepage."));
            QCOMPARE(background(box), highlighted.at(outcome) ? QColor(0, 128, 0) : QColor(Qt::black));
        }
    }

    void hiddenMatchesStayHiddenForTheRun() {
        start();
        listWith(kMixedRule);
        // The user clicks into the window, which opened without the keyboard.
        QTRY_VERIFY(QApplication::activeWindow() == &m_main.window());
        form().activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &form());
        listView().setFocus();

        // The Delete key on the first row: the next one moves up, numbers stay.
        QTest::keyClick(&listView(), Qt::Key_Delete);
        QCOMPARE(column(0), Latin1Texts({"2", "3"}));
        QCOMPARE(currentRow(), 0);
        QCOMPARE(text("TeamsLabel"), QStringLiteral("Everton - Fulham"));

        // The menu item on the last row: the row before is selected.
        clickRow(1);
        deleteAction().trigger();
        QCOMPARE(column(0), Latin1Texts({"2"}));
        QCOMPARE(currentRow(), 0);
        QCOMPARE(text("TeamsLabel"), QStringLiteral("Everton - Fulham"));

        deleteAction().trigger();
        const auto showsNoMatches = [this] {
            QCOMPARE(listView().topLevelItemCount(), 0);
            QCOMPARE(text("TeamsLabel"), QStringLiteral("( NO MATCHES FOUND )"));
            QCOMPARE(text("MaxOdds1Label"), QString());
            QCOMPARE(text("Odds1StakeLabel"), QString());
            QCOMPARE(list(QStringLiteral("BookmakersMaxOdds1ListBox")).count(), 0);
            QCOMPARE(list(QStringLiteral("BookmakersMaxOdds1ListBox")).toolTip(), QString());
            QVERIFY(!deleteAction().isEnabled());
        };
        showsNoMatches();

        // The same matches under another rule stay hidden.
        listWith(QStringLiteral("pe_upcoming ODDS1>0?BET12"));
        showsNoMatches();
    }

    void doubleClickOpensTheBookmakersHomepage_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("listBox");
        QTest::addColumn<QString>("bookmaker");
        QTest::addColumn<QList<QUrl>>("opened");
        QTest::newRow("the name as listed") << 0 << "BookmakersMaxOdds2ListBox"
                                            << "BW" << QList<QUrl>{QUrl(QStringLiteral("https://www.bwin.com/"))};
        QTest::newRow("a directory entry with a trailing blank first")
            << 2 << "BookmakersMaxOdds1ListBox"
            << "PS" << QList<QUrl>{QUrl(QStringLiteral("https://ps.example/"))};
        QTest::newRow("no home page") << 0 << "BookmakersMaxOdds1ListBox"
                                      << "B365" << QList<QUrl>{};
        QTest::newRow("not in the directory") << 2 << "BookmakersMaxOdds0ListBox"
                                              << "WH" << QList<QUrl>{};
    }

    void doubleClickOpensTheBookmakersHomepage() {
        QFETCH(int, row);
        QFETCH(QString, listBox);
        QFETCH(QString, bookmaker);
        QFETCH(QList<QUrl>, opened);
        start(
            std::string("[ID]B365[/ID][LINK]empty[/LINK][STATE]ON LINE[/STATE]\r\n"
                        "[ID]BW[/ID][LINK]https://www.bwin.com/[/LINK][STATE]ON LINE[/STATE]\r\n"
                        "[ID]PS [/ID][LINK]https://ps.example/[/LINK][STATE]ON LINE[/STATE]\r\n"
                        "[ID]PS[/ID][LINK]https://www.pinnacle.com/[/LINK][STATE]ON LINE[/STATE]\r\n"));
        listWith(kMixedRule);
        UrlRecorder urls;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &urls, "open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); });
        clickRow(row);
        QListWidget& box = list(listBox);
        const auto items = box.findItems(bookmaker, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        const QPoint centre = box.visualItemRect(items.constFirst()).center();
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(box.viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(urls.opened, opened);
    }

    // Without a key the first download asks for one; an empty key is refused.
    void theKeyDialogAsksForTheIdentityKey_data() {
        QTest::addColumn<QString>("confirm");  // a button, or "Enter"
        QTest::addColumn<bool>("sent");
        QTest::newRow("Enter is OK") << "Enter" << true;
        QTest::newRow("OK") << "OKSpeedButton" << true;
        QTest::newRow("Cancel") << "CancelSpeedButton" << false;
    }

    void theKeyDialogAsksForTheIdentityKey() {
        QFETCH(QString, confirm);
        QFETCH(bool, sent);
        const QString typed = QStringLiteral("demo");
        start(MainWindowFixture::SampleDirectory(), "");
        bool asked = false;
        MainWindowFixture::whenModal([&](QWidget* dialog) {
            asked = true;
            // A failed check below must not leave the command waiting on the dialog.
            const auto closeAnyway = qScopeGuard([dialog] {
                if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
            });
            QCOMPARE(dialog, static_cast<QWidget*>(&m_main.window().enterUIDKey()));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Unique Indentity Key..."));
            QVERIFY(dialog->findChild<QLabel*>()->text() == QStringLiteral("Please enter Unique Indentity Key:"));
            // The user types with the usual pointer, not the hourglass.
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("UIDEdit"));
            QCOMPARE(dialog->focusWidget(), edit);
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(m_main.boxes().captions, Latin1Texts({"Error"}));
            QCOMPARE(m_main.boxes().texts, Latin1Texts({"Invalid Unique Indentity Key."}));
            QVERIFY(dialog->isVisible());
            QTest::keyClicks(edit, typed);
            if (confirm == QStringLiteral("Enter")) {
                QTest::keyClick(edit, Qt::Key_Return);
            } else {
                dialog->findChild<QPushButton*>(confirm)->click();
            }
        });
        listWith(kMixedRule);
        QVERIFY(asked);
        QVERIFY(!m_main.window().enterUIDKey().isVisible());
        const auto urls = m_main.http().urls();
        const bool requested =
            std::any_of(urls.begin(), urls.end(), [](const std::string& url) { return url.ends_with(kPath); });
        QCOMPARE(requested, sent);
        QCOMPARE(QString::fromStdString(m_main.window().workstation().config().GetUIDKey()), sent ? typed : QString());
        QCOMPARE(listView().topLevelItemCount(), sent ? 3 : 0);
        QCOMPARE(m_main.screenText().contains(kRetrieving), sent);
    }

    // The window goes on painting and taking input while the service answers;
    // lines typed meanwhile run after the answer, in order.
    void aSlowServiceLeavesTheWindowResponsive() {
        start();
        m_main.gate().close(kPath);
        m_main.type(QStringLiteral("pe_upcoming ODDS1<1.6?BET1"));
        QTRY_VERIFY(m_main.gate().holding());
        QVERIFY(m_main.screenText().endsWith(kRetrieving));
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        m_main.type(QStringLiteral("=2+3"));
        m_main.type(QStringLiteral("echo typed ahead"));
        QTest::qWait(100);
        QVERIFY(m_main.screenText().endsWith(kRetrieving));
        const QComboBox& history = *m_main.window().commandLine();
        QCOMPARE(history.itemText(history.count() - 1), QStringLiteral("echo typed ahead"));  // kept at once
        QVERIFY(!form().isVisible());

        QSignalSpy shown(&form(), &TUpcomingMatchesDisplayForm::listingShown);
        m_main.gate().open();
        QTRY_VERIFY(
            m_main.screenText().endsWith(kRetrieving + QStringLiteral("\n>=2+3\n5\n>echo typed ahead\ntyped ahead")));
        QCOMPARE(shown.count(), 1);
        QCOMPARE(column(3), Latin1Texts({"Everton - Fulham"}));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void closingWhileTheServiceAnswersEndsAtOnce() {
        start();
        m_main.gate().close(kPath);
        m_main.type(QStringLiteral("pe_upcoming ODDS1<1.6?BET1"));
        QTRY_VERIFY(m_main.gate().holding());
        m_main.type(QStringLiteral("=2+3"));

        QElapsedTimer closing;
        closing.start();
        QVERIFY(m_main.window().close());
        QVERIFY(closing.elapsed() < 2000);
        QVERIFY(!m_main.gate().holding());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // Neither the command's rest nor the line typed after it runs any more.
        QTest::qWait(100);
        QVERIFY(!form().isVisible());
        QVERIFY(m_main.screenText().endsWith(kRetrieving));
    }

private:
    MainWindowFixture m_main;
};

}  // namespace

QTEST_MAIN(UpcomingWindowTest)
#include "UpcomingWindowTest.moc"
