#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "service/RunningService.h"
#include "support/FileContent.h"
#include "support/ScriptedHttpClient.h"
#include "tools/ui/AdvertLine.h"
#include "ui/UrlRecorder.h"
#include "web/CurlHttpClient.h"

// The advert line as the main window holds it: above a group box, in a column
// of fixed height, fed by a service that a test scripts.
namespace {

using karvola::testing::ScriptedHttpClient;
using karvola::testing::UrlRecorder;

using karvola::AdvertTicker;
using karvola::ServiceHost;
using karvola::TransportError;
using karvola::ui::AdvertLine;

class AdvertLineTest final : public QObject {
    Q_OBJECT

    // The main window's arrangement: the line and the group in a column of fixed height.
    struct Column {
        explicit Column(karvola::HttpClient& service, AdvertLine::Timing timing = {},
                        const std::string& host = "127.0.0.1:8470") {
            window.setFixedSize(600, 190);
            auto* layout = new QVBoxLayout(&window);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
            line = new AdvertLine(service, *ServiceHost::parse(host), timing, &window);
            group = new QFrame(&window);
            layout->addWidget(line);
            layout->addWidget(group, 1);
            window.show();
        }
        QWidget window;
        AdvertLine* line = nullptr;
        QFrame* group = nullptr;
    };

    // The one-second ticks until the next download has come back.
    static void tickUntilDownloadEnds(AdvertLine& line, int ticks) {
        QSignalSpy ended(&line, &AdvertLine::downloadEnded);
        for (int i = 0; i < ticks; ++i) line.AdvertTimerTimer();
        QVERIFY(ended.wait(5000) || ended.count() == 1);
    }

    static void scrollOut(AdvertLine& line) {
        for (int steps = 0; steps < 10'000 && line.scrollingTimer()->isActive(); ++steps)
            line.AdvertScrollingTimerTimer();
    }

private slots:
    void init() { QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open"); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        m_urls.opened.clear();
    }

    void withoutServiceTheLayoutNeverChanges() {
        ScriptedHttpClient service;
        Column column(service);
        const QRect group = column.group->geometry();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            tickUntilDownloadEnds(*column.line, 60);
            QVERIFY(!column.line->isVisible());
            QCOMPARE(column.group->geometry(), group);
            QCOMPARE(column.line->ticker().period(), 60);
            QVERIFY(column.line->advertTimer()->isActive());
        }
        // The advert has no scheme of its own: the service host, then the path.
        QCOMPARE(service.urls(), (std::vector<std::string>{"127.0.0.1:8470/advert.txt", "127.0.0.1:8470/advert.txt"}));
    }

    void anAdvertWithALinkScrollsOnceAndCanBeClicked() {
        ScriptedHttpClient service;
        service.answer("/advert.txt", "Odds for tonight[url]https://example.org/odds[/url]");
        Column column(service);
        const QRect group = column.group->geometry();
        tickUntilDownloadEnds(*column.line, 60);

        AdvertLine& line = *column.line;
        QVERIFY(line.isVisible());
        QCOMPARE(line.scrollLabel()->text(), QStringLiteral("Odds for tonight"));
        QCOMPARE(line.scrollPanel()->height(), AdvertLine::kPanelHeight);
        QCOMPARE(line.scrollLabel()->x(), line.scrollPanel()->width());
        QTRY_COMPARE(column.group->y(), group.y() + 30);
        QCOMPARE(column.group->height(), group.height() - 30);
        QVERIFY(line.scrollingTimer()->isActive());
        QVERIFY(!line.advertTimer()->isActive());
        QCOMPARE(line.scrollLabel()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(line.scrollPanel()->cursor().shape(), Qt::PointingHandCursor);

        line.AdvertScrollingTimerTimer();
        QCOMPARE(line.scrollLabel()->x(), line.scrollPanel()->width());
        line.AdvertScrollingTimerTimer();
        QCOMPARE(line.scrollLabel()->x(), line.scrollPanel()->width() - 2);
        QTest::mouseClick(line.scrollLabel(), Qt::LeftButton);
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/odds"))});

        scrollOut(line);
        QVERIFY(!line.isVisible());
        QTRY_COMPARE(column.group->geometry(), group);
        QVERIFY(!line.clickable());
        QCOMPARE(line.scrollLabel()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(line.advertTimer()->isActive());
        QCOMPARE(line.ticker().period(), 666);
        QCOMPARE(line.ticker().ticks(), 0);
    }

    void anAdvertWithoutALinkCannotBeClicked() {
        ScriptedHttpClient service;
        service.answer("/advert.txt", "Odds for tonight[url][/url]");
        Column column(service);
        tickUntilDownloadEnds(*column.line, 60);
        QVERIFY(column.line->isVisible());
        QVERIFY(!column.line->clickable());
        QCOMPARE(column.line->scrollLabel()->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseClick(column.line->scrollLabel(), Qt::LeftButton);
        QVERIFY(m_urls.opened.isEmpty());
    }

    void bodiesWithoutAnAdvertShowNothing() {
        for (const char* body :
             {"Odds for tonight[/url]", "Odds for tonight[url]https://example.org/", "", "[url]x[/url]"}) {
            ScriptedHttpClient service;
            service.answer("/advert.txt", body);
            Column column(service);
            tickUntilDownloadEnds(*column.line, 60);
            QVERIFY2(!column.line->isVisible(), body);
            QCOMPARE(column.line->ticker().period(), 60);
        }
    }

    void hideEndsTheTickerForTheRun() {
        ScriptedHttpClient service;
        service.answer("/advert.txt", "Odds[url]https://example.org/[/url]");
        Column column(service);
        const QRect group = column.group->geometry();
        tickUntilDownloadEnds(*column.line, 60);
        QVERIFY(column.line->isVisible());
        QCOMPARE(column.line->scrollLabel()->actions().constFirst()->text(), QStringLiteral("Hide"));
        column.line->scrollLabel()->actions().constFirst()->trigger();
        QVERIFY(!column.line->isVisible());
        QTRY_COMPARE(column.group->geometry(), group);
        QVERIFY(!column.line->advertTimer()->isActive());
        QVERIFY(!column.line->scrollingTimer()->isActive());
        QCOMPARE(column.line->ticker().state(), AdvertTicker::State::Hidden);
    }

    // The real service and the program's own client, from advert.txt to the screen.
    void theRealServicesAdvertReachesTheLine_data() {
        QTest::addColumn<QString>("advert");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("clickable");
        QTest::newRow("with a link") << "Odds![url]https://example.org/[/url]\r\n"
                                     << "Odds!" << true;
        QTest::newRow("an empty link") << "Odds![url][/url]"
                                       << "Odds!" << false;
        QTest::newRow("without [url]") << "Odds![/url]"
                                       << "" << false;
        QTest::newRow("no advert file") << ""
                                        << "" << false;
        QTest::newRow("no service") << ""
                                    << "" << false;
    }
    void theRealServicesAdvertReachesTheLine() {
        QFETCH(QString, advert);
        QFETCH(QString, shown);
        QFETCH(bool, clickable);
        karvola::testing::RunningService service;
        const auto file = service.content() / "advert.txt";
        if (advert.isEmpty()) {
            std::filesystem::remove(file);
        } else {
            karvola::testing::WriteFileContent(file, advert.toStdString());
        }
        if (QByteArray(QTest::currentDataTag()) == "no service") service.stop();
        karvola::CurlHttpClient http(
            {.connectTimeout = std::chrono::seconds(2), .totalTimeout = std::chrono::seconds(5)});
        Column column(http, {}, service.host());
        tickUntilDownloadEnds(*column.line, 60);
        QCOMPARE(column.line->isVisible(), !shown.isEmpty());
        if (!shown.isEmpty()) QCOMPARE(column.line->scrollLabel()->text(), shown);
        QCOMPARE(column.line->clickable(), clickable);
    }

    // The real timers, made fast: the whole round from waiting to showing and back.
    void theTimersRunTheRoundByThemselves() {
        ScriptedHttpClient service;
        service.answer("/advert.txt", "Odds[url]https://example.org/[/url]");
        Column column(service, {.tick = std::chrono::milliseconds(1), .scroll = std::chrono::milliseconds(1)});
        QTRY_VERIFY_WITH_TIMEOUT(column.line->isVisible(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!column.line->isVisible(), 10000);
        QCOMPARE(column.line->ticker().period(), 666);
        QVERIFY(column.line->advertTimer()->isActive());
    }

    // Closing the window while the service keeps it waiting does not wait for it.
    void aDownloadInProgressDoesNotHoldTheWindow() {
        class SlowService final : public karvola::HttpClient {
        public:
            std::string Get(const std::string&) override {
                while (!m_cancelled) QThread::msleep(5);
                throw TransportError("cancelled");
            }
            std::string Post(const std::string&, const std::string&, karvola::OutputFileMode) override { return {}; }
            void cancel() override { m_cancelled = true; }

        private:
            std::atomic<bool> m_cancelled = false;
        };
        SlowService service;
        auto column = std::make_unique<Column>(service);
        for (int i = 0; i < 60; ++i) column->line->AdvertTimerTimer();
        QVERIFY(column->line->downloading());
        QElapsedTimer closing;
        closing.start();
        column.reset();
        QVERIFY(closing.elapsed() < 2000);
    }

private:
    UrlRecorder m_urls;
};

}  // namespace

QTEST_MAIN(AdvertLineTest)
#include "AdvertLineTest.moc"
