#include <QAction>
#include <QDesktopServices>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>
#include <string>

#include "directory/ui/BookmakerListMenu.h"
#include "tools/ui/AdvertLine.h"
#include "ui/MainWindowFixture.h"
#include "ui/UrlRecorder.h"

// What the web service brings into the main window: the download line at
// start-up, the bookmaker list's home pages and states, the advert line.
namespace {

using karvola::testing::MainWindowFixture;
using karvola::testing::UrlRecorder;
using karvola::ui::AdvertLine;
using karvola::ui::BookmakerListMenu;

class ServiceInWindowTest final : public QObject {
    Q_OBJECT

    [[nodiscard]] QListWidget& bookmakers() const {
        return *m_main.window().findChild<QListWidget*>(QStringLiteral("BaseBookmakersListBox"));
    }

    void select(const QString& name) const {
        const auto items = bookmakers().findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        bookmakers().setCurrentItem(items.constFirst());
    }

private slots:
    void init() { QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open"); }
    void cleanup() {
        m_main.stop();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        m_urls.opened.clear();
    }

    void startUpNamesTheServiceHostBeforeLoadingTheBase() {
        m_main.start();
        const QString screen = m_main.screenText();
        const auto initializing = screen.indexOf(QStringLiteral("Initializing....\n"));
        const auto download = screen.indexOf(
            QStringLiteral("\nDownloading sportsbooks informations from remote host 127.0.0.1:8470 ...\n"));
        const auto loading = screen.indexOf(QStringLiteral("\nLoading local database...\n"));
        QVERIFY2(initializing >= 0 && initializing < download && download < loading, qPrintable(screen));
        QCOMPARE(m_main.http().urls().front(), std::string("http://127.0.0.1:8470/referals.txt"));
    }

    void thePopUpMenuOffersTheHomepageAndTheState() {
        m_main.start();
        BookmakerListMenu& menu = m_main.window().bookmakerMenu();
        QCOMPARE(bookmakers().toolTip(), QString::fromLatin1(BookmakerListMenu::kHint));
        QCOMPARE(menu.visitHomepage()->text(), QStringLiteral("Visit Homepage"));
        QVERIFY(!menu.visitHomepage()->isEnabled());
        QVERIFY(!menu.additionalInfo()->isEnabled());

        // Nothing selected: the menu stays as it was.
        bookmakers().clearSelection();
        menu.BookmakersListBoxPopupMenuPopup();
        QVERIFY(!menu.visitHomepage()->isEnabled());

        select(QStringLiteral("B365"));
        menu.BookmakersListBoxPopupMenuPopup();
        QCOMPARE(menu.visitHomepage()->text(), QStringLiteral("Visit B365Homepage"));
        QVERIFY(menu.visitHomepage()->isEnabled());
        QCOMPARE(menu.additionalInfo()->text(), QStringLiteral("Sportsbook state..."));
        QVERIFY(menu.additionalInfo()->isEnabled());
        menu.visitHomepage()->trigger();
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.bet365.com/"))});
        menu.additionalInfo()->trigger();
        QCOMPARE(m_main.boxes().captions, QStringList{QStringLiteral("Quick info")});
        QCOMPARE(m_main.boxes().texts, QStringList{QStringLiteral("This is on-line and active bookmaker.")});
    }

    void aBookmakerWithoutAHomepageOrAStateOffersNothing() {
        m_main.start(
            std::string("[ID]B365[/ID][LINK]empty[/LINK][STATE]NOT FOUND[/STATE][RATED]C[/RATED]\r\n"
                        "[ID]BW[/ID][LINK]https://www.bwin.com/[/LINK][STATE]CLOSED[/STATE]\r\n"));
        BookmakerListMenu& menu = m_main.window().bookmakerMenu();
        select(QStringLiteral("B365"));
        menu.BookmakersListBoxPopupMenuPopup();
        QCOMPARE(menu.visitHomepage()->text(), QStringLiteral("Visit Homepage"));
        QVERIFY(!menu.visitHomepage()->isEnabled());
        QVERIFY(!menu.additionalInfo()->isEnabled());
        menu.BaseBookmakersListBoxDblClick();
        menu.AdditionalInfo1Click();
        QVERIFY(m_urls.opened.isEmpty());
        QVERIFY(m_main.boxes().captions.isEmpty());

        select(QStringLiteral("BW"));
        menu.AdditionalInfo1Click();
        QCOMPARE(m_main.boxes().texts, QStringList{QStringLiteral("This bookmaker is no longer active.")});
        // A bookmaker of the base that the directory does not know.
        select(QStringLiteral("PS"));
        menu.BookmakersListBoxPopupMenuPopup();
        QVERIFY(!menu.visitHomepage()->isEnabled());
        QVERIFY(!menu.additionalInfo()->isEnabled());
    }

    void doubleClickOpensTheHomepage() {
        m_main.start();
        select(QStringLiteral("PS"));
        const QListWidgetItem* item = bookmakers().currentItem();
        const QPoint centre = bookmakers().visualItemRect(item).center();
        QTest::mouseClick(bookmakers().viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(bookmakers().viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://www.pinnacle.com/"))});
    }

    void withoutServiceTheDirectoryIsEmptyAndStartUpGoesOn() {
        m_main.start(std::nullopt);
        BookmakerListMenu& menu = m_main.window().bookmakerMenu();
        select(QStringLiteral("B365"));
        menu.BookmakersListBoxPopupMenuPopup();
        QVERIFY(!menu.visitHomepage()->isEnabled());
        QVERIFY(!menu.additionalInfo()->isEnabled());
        QVERIFY(m_main.screenText().contains(QStringLiteral("Karvola BETA Edition")));
    }

    // The advert line takes its room from the research domain, never from the terminal.
    void theAdvertPushesTheResearchDomainDownAndBackUp() {
        m_main.start();
        QWidget& group = m_main.window().researchDomainGroup();
        const QRect before = group.geometry();
        const QRect terminal = m_main.window().statusScreen()->geometry();
        AdvertLine& line = m_main.window().advertLine();
        m_main.http().answer("/advert.txt", std::string("Odds for tonight[url]https://example.org/[/url]"));
        QSignalSpy ended(&line, &AdvertLine::downloadEnded);
        for (int tick = 0; tick < 60; ++tick) line.AdvertTimerTimer();
        QVERIFY(ended.wait(5000) || ended.count() == 1);

        QVERIFY(line.isVisible());
        QTRY_COMPARE(group.y(), before.y() + 30);
        QCOMPARE(group.height(), before.height() - 30);
        QCOMPARE(m_main.window().statusScreen()->geometry(), terminal);
        line.Hide1Click();
        QTRY_COMPARE(group.geometry(), before);
    }

private:
    MainWindowFixture m_main;
    UrlRecorder m_urls;
};

}  // namespace

QTEST_MAIN(ServiceInWindowTest)
#include "ServiceInWindowTest.moc"
