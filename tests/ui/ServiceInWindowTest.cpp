#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <optional>
#include <stdexcept>
#include <string>

#include "directory/ui/BookmakerListMenu.h"
#include "support/FixedClock.h"
#include "tools/ui/AdvertLine.h"
#include "ui/MainWindowFixture.h"
#include "ui/UrlRecorder.h"
#include "web/CurlHttpClient.h"
#include "web/ServiceHost.h"

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

    // The advert line takes its room from the terminal, never from the research
    // domain, whose lists would get scroll bars.
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
        QCOMPARE(group.height(), before.height());
        const auto* bookmakers = m_main.window().findChild<QListWidget*>(QStringLiteral("BaseBookmakersListBox"));
        QVERIFY(!bookmakers->verticalScrollBar()->isVisible());
        QCOMPARE(m_main.window().statusScreen()->height(), terminal.height() - 30);
        line.Hide1Click();
        QTRY_COMPARE(group.geometry(), before);
        QCOMPARE(m_main.window().statusScreen()->geometry(), terminal);
    }

    // A service that accepts the connection and never answers: the start-up
    // goes on after a few seconds with what an earlier run saved, says so after
    // the banner, and the window takes a typed command.
    void aServiceThatNeverAnswersDoesNotHoldTheStartUp() {
        const SilentListener listener;
        karvola::testing::TemporaryDirectory folder;
        karvola::LocalFileSystem files;
        karvola::testing::FixedClock clock{1'700'000'000};
        karvola::testing::RecordingMessageBoxes boxes;
        karvola::CurlHttpClient http;  // as the program makes it, with its own long time-outs
        karvola::ui::MainWindowSettings settings;
        settings.applicationDirectory = folder.path();
        settings.dataBase = (std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt").string();
        settings.service.host = *karvola::ServiceHost::parse("127.0.0.1:" + std::to_string(listener.port()));
        karvola::ui::TForm1 window(settings, {.files = files, .clock = clock, .boxes = boxes, .http = http});
        QElapsedTimer shown;
        window.show();
        shown.start();
        QTRY_VERIFY_WITH_TIMEOUT(
            window.isEnabled() && window.statusScreen()->toPlainText().contains(QStringLiteral("Available")), 10'000);
        QVERIFY2(shown.elapsed() < 6'000, qPrintable(QString::number(shown.elapsed())));
        QTest::keyClicks(window.commandLine()->lineEdit(), QStringLiteral("=6*7"));
        QTest::keyClick(window.commandLine()->lineEdit(), Qt::Key_Return);
        const QString screen = window.statusScreen()->toPlainText();
        const auto banner = screen.indexOf(QStringLiteral("For more details see the User Guide"));
        const auto warning =
            screen.indexOf(QStringLiteral("Warning: no sportsbooks informations from 127.0.0.1:") +
                           QString::number(listener.port()) + QStringLiteral(", and no copy of an earlier run.\n"));
        QVERIFY2(banner >= 0 && banner < warning, qPrintable(screen));
        QVERIFY2(screen.contains(QStringLiteral(">=6*7\n42")), qPrintable(screen));
    }

    // A guide that is not there, and a home page with no browser to open it,
    // are told with the path or address rather than left to standard error.
    void documentsAndPagesThatCannotOpenAreTold() {
        m_main.start();
        const auto trigger = [this](const QString& text) {
            for (QAction* menu : m_main.window().menuBar()->actions()) {
                for (QAction* item : menu->menu()->actions()) {
                    if (item->text() == text) return item->trigger();
                }
            }
            QFAIL(qPrintable(text));
        };
        trigger(QStringLiteral("Read the User Guide"));
        const QString guide = QString::fromStdString((m_main.folder() / "Documents" / "UserGuide.pdf").string());
        QCOMPARE(m_main.boxes().texts, QStringList{QStringLiteral("'%1' is not there.").arg(guide)});

        // No handler for https here, and the offscreen platform starts no browser.
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        select(QStringLiteral("B365"));
        m_main.window().bookmakerMenu().VisitHomepage1Click();
        QCOMPARE(m_main.boxes().texts.last(),
                 QStringLiteral("No web browser could be started to open 'https://www.bet365.com/'. Please open it "
                                "yourself."));
    }

private:
    // A loopback port whose connections the kernel accepts and nobody answers.
    class SilentListener {
    public:
        SilentListener() {
            m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t size = sizeof address;
            if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
                ::listen(m_socket, 16) != 0 ||
                ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
                throw std::runtime_error("cannot listen on a loopback port");
            }
            m_port = ntohs(address.sin_port);
        }
        ~SilentListener() { ::close(m_socket); }
        SilentListener(const SilentListener&) = delete;
        SilentListener& operator=(const SilentListener&) = delete;
        [[nodiscard]] int port() const { return m_port; }

    private:
        int m_socket = -1;
        int m_port = 0;
    };

    MainWindowFixture m_main;
    UrlRecorder m_urls;
};

}  // namespace

QTEST_MAIN(ServiceInWindowTest)
#include "ServiceInWindowTest.moc"
