#pragma once

#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <thread>

#include "common/ui/QueuedCalls.h"
#include "upcoming/UpcomingCommands.h"
#include "web/HttpClient.h"

namespace karvola::ui {

// Runs the upcoming exchange's transfer on a worker thread, so that the window
// keeps painting while the service answers, and the rest of the command back
// on the window's thread. The hourglass shows meanwhile. One transfer at a time;
// a second one waits for the first.
class BackgroundExchangeRunner final : public QObject, public ExchangeRunner {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackgroundExchangeRunner)

public:
    // The client is cancelled when the runner stops during a transfer.
    explicit BackgroundExchangeRunner(HttpClient& http, QObject* parent = nullptr);
    ~BackgroundExchangeRunner() override;

    void run(std::function<UpcomingExchange::Reply()> transfer,
             std::function<void(UpcomingExchange::Reply)> rest) override;

    // Whether a transfer is under way or its rest has yet to run.
    [[nodiscard]] bool busy() const { return m_worker.joinable(); }

    // For a closing window: cancels the transfer under way (the client stays
    // cancelled), waits for its thread and drops the rest of its command and
    // the transfers waiting after it.
    void stop();

signals:
    // A command's rest has run and no transfer is left.
    void idle();

private:
    struct Job {
        std::function<UpcomingExchange::Reply()> transfer;
        std::function<void(UpcomingExchange::Reply)> rest;
    };

    void startNext();
    void complete(std::uint64_t id, UpcomingExchange::Reply reply);

    HttpClient& m_http;
    std::deque<Job> m_waiting;
    std::function<void(UpcomingExchange::Reply)> m_rest;  // of the transfer under way
    std::thread m_worker;
    QueuedCalls* m_queuedCalls = new QueuedCalls(this);  // the transfer's reply, back on the runner's thread
    // Counts the transfers started, so that the reply of one that was stopped is not taken for a later one's.
    std::uint64_t m_transfersStarted = 0;
};

}  // namespace karvola::ui
