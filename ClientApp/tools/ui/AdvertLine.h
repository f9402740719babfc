#pragma once

#include <QWidget>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "common/ui/QueuedCalls.h"
#include "tools/AdvertTicker.h"
#include "web/HttpClient.h"
#include "web/ServiceHost.h"

class QAction;
class QFrame;
class QLabel;
class QTimer;

namespace karvola::ui {

// The advert line above the research domain: hidden while it waits; when the
// service has an advert, a 30-pixel strip opens (pushing the research domain
// and the terminal down by as much) and the green text scrolls once from
// right to left through its 17-pixel panel, clickable when it has a link. Its
// pop-up menu's "Hide" closes it for the rest of the run. The download runs on a
// thread of its own, so a slow service never stops the window.
class AdvertLine final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvertLine)

public:
    static constexpr int kHeight = 30;
    static constexpr int kPanelHeight = 17;

    struct Timing {
        std::chrono::milliseconds tick{1000};
        std::chrono::milliseconds scroll{35};
    };

    AdvertLine(HttpClient& http, ServiceHost host, Timing timing, QWidget* parent = nullptr);
    // Cancels a download in progress and waits for its thread.
    ~AdvertLine() override;

    // The timers' and the menu's handlers, public so that tests can drive them.
    void AdvertTimerTimer();
    void AdvertScrollingTimerTimer();
    void OpenAdvertLinkClick();
    void Hide1Click();

    [[nodiscard]] const AdvertTicker& ticker() const { return m_ticker; }
    [[nodiscard]] QLabel* scrollLabel() const { return m_scrollLabel; }
    [[nodiscard]] QFrame* scrollPanel() const { return m_scrollPanel; }
    [[nodiscard]] QTimer* advertTimer() const { return m_advertTimer; }
    [[nodiscard]] QTimer* scrollingTimer() const { return m_scrollingTimer; }
    [[nodiscard]] bool clickable() const { return m_clickable; }
    [[nodiscard]] bool downloading() const { return m_download.joinable() && !m_downloadDone; }

signals:
    // A download has ended, whatever its outcome (for tests and the curious).
    void downloadEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDownload();
    void downloadFinished(const std::optional<std::string>& body);
    void show(const Advert& advert);
    void setClickable(bool clickable);

    HttpClient& m_http;
    ServiceHost m_host;
    AdvertTicker m_ticker;
    std::string m_advertText;
    std::string m_advertLink;
    bool m_clickable = false;

    QFrame* m_scrollPanel = nullptr;
    QLabel* m_scrollLabel = nullptr;
    QTimer* m_advertTimer = nullptr;
    QTimer* m_scrollingTimer = nullptr;
    QAction* m_hide = nullptr;

    std::thread m_download;
    bool m_downloadDone = true;
    QueuedCalls* m_queuedCalls = new QueuedCalls(this);  // the download's outcome, back on the line's thread
};

}  // namespace karvola::ui
