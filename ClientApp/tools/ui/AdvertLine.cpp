#include "tools/ui/AdvertLine.h"

#include <QAction>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "common/ui/KarvolaLook.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

AdvertLine::AdvertLine(HttpClient& http, ServiceHost host, Timing timing, QWidget* parent)
    : QWidget(parent), m_http(http), m_host(std::move(host)) {
    setObjectName(QStringLiteral("AdvertLine"));
    setFixedHeight(kHeight);
    m_scrollPanel = new QFrame(this);
    m_scrollPanel->setObjectName(QStringLiteral("AdvertScrollPanel"));
    m_scrollPanel->setStyleSheet(QStringLiteral("QFrame#AdvertScrollPanel { background: rgb(7, 7, 7); }"));
    m_scrollLabel = new QLabel(m_scrollPanel);
    m_scrollLabel->setObjectName(QStringLiteral("ScrollLabel"));
    QFont font = look::TerminalFont();
    font.setBold(true);
    m_scrollLabel->setFont(font);
    m_scrollLabel->setStyleSheet(QStringLiteral("QLabel { color: rgb(0, 255, 0); background: transparent; }"));

    m_hide = new QAction(QStringLiteral("Hide"), this);
    m_hide->setObjectName(QStringLiteral("Hide1"));
    connect(m_hide, &QAction::triggered, this, &AdvertLine::Hide1Click);
    for (QWidget* widget : {static_cast<QWidget*>(m_scrollPanel), static_cast<QWidget*>(m_scrollLabel)}) {
        widget->setContextMenuPolicy(Qt::ActionsContextMenu);
        widget->addAction(m_hide);
        widget->installEventFilter(this);
    }

    m_advertTimer = new QTimer(this);
    m_advertTimer->setObjectName(QStringLiteral("AdvertTimer"));
    m_advertTimer->setInterval(timing.tick);
    connect(m_advertTimer, &QTimer::timeout, this, &AdvertLine::AdvertTimerTimer);
    m_scrollingTimer = new QTimer(this);
    m_scrollingTimer->setObjectName(QStringLiteral("AdvertScrollingTimer"));
    m_scrollingTimer->setInterval(timing.scroll);
    connect(m_scrollingTimer, &QTimer::timeout, this, &AdvertLine::AdvertScrollingTimerTimer);

    hide();
    m_advertTimer->start();
}

AdvertLine::~AdvertLine() {
    if (m_download.joinable()) {
        m_http.cancel();
        m_download.join();
    }
}

void AdvertLine::AdvertTimerTimer() {
    if (m_ticker.tick() && !downloading()) startDownload();
}

// The download on a thread of its own; its outcome comes back to this thread
// as a queued call, dropped if the line is gone by then.
void AdvertLine::startDownload() {
    if (m_download.joinable()) m_download.join();  // the previous one has ended
    m_downloadDone = false;
    const std::string url = m_host.name() + "/advert.txt";
    m_download = std::thread([this, url] {
        std::optional<std::string> body;
        try {
            body = m_http.Get(url);
        } catch (...) {  // no advert this time; the next attempt comes a period later
        }
        m_queuedCalls->post([this, body = std::move(body)] { downloadFinished(body); });
    });
}

void AdvertLine::downloadFinished(const std::optional<std::string>& body) {
    m_downloadDone = true;
    if (const auto advert = m_ticker.downloaded(body)) show(*advert);
    emit downloadEnded();
}

void AdvertLine::show(const Advert& advert) {
    m_advertText = advert.text;
    m_advertLink = advert.link;
    m_scrollLabel->setText(Text(m_advertText));
    m_scrollLabel->adjustSize();
    m_scrollLabel->move(width(), (kPanelHeight - m_scrollLabel->height()) / 2);
    m_scrollPanel->setGeometry(0, 0, width(), kPanelHeight);
    QWidget::show();
    m_scrollingTimer->start();
    m_advertTimer->stop();
    setClickable(!m_advertLink.empty());
}

void AdvertLine::AdvertScrollingTimerTimer() {
    m_scrollPanel->setGeometry(0, 0, width(), kPanelHeight);
    const AdvertTicker::Step step = m_ticker.scroll(m_scrollPanel->width(), m_scrollLabel->width());
    m_scrollLabel->move(step.labelLeft, m_scrollLabel->y());
    if (!step.finished) return;
    m_scrollingTimer->stop();
    setClickable(false);
    QWidget::hide();
    if (m_ticker.state() == AdvertTicker::State::Waiting) m_advertTimer->start();
}

void AdvertLine::OpenAdvertLinkClick() {
    if (!m_advertLink.empty()) QDesktopServices::openUrl(QUrl(Text(m_advertLink)));
}

void AdvertLine::Hide1Click() {
    m_ticker.hide();
    m_advertTimer->stop();
    m_scrollingTimer->stop();
    setClickable(false);
    QWidget::hide();
}

void AdvertLine::setClickable(bool clickable) {
    m_clickable = clickable;
    for (QWidget* widget : {static_cast<QWidget*>(m_scrollPanel), static_cast<QWidget*>(m_scrollLabel)}) {
        if (clickable) {
            widget->setCursor(Qt::PointingHandCursor);
        } else {
            widget->unsetCursor();
        }
    }
}

bool AdvertLine::eventFilter(QObject* watched, QEvent* event) {
    if (m_clickable && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        OpenAdvertLinkClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace karvola::ui
