#include "upcoming/ui/BackgroundExchangeRunner.h"

#include <QApplication>
#include <utility>

namespace karvola::ui {

BackgroundExchangeRunner::BackgroundExchangeRunner(HttpClient& http, QObject* parent) : QObject(parent), m_http(http) {}

BackgroundExchangeRunner::~BackgroundExchangeRunner() {
    stop();
}

void BackgroundExchangeRunner::run(std::function<UpcomingExchange::Reply()> transfer,
                                   std::function<void(UpcomingExchange::Reply)> rest) {
    m_waiting.push_back({std::move(transfer), std::move(rest)});
    if (!busy()) startNext();
}

void BackgroundExchangeRunner::startNext() {
    Job job = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_rest = std::move(job.rest);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_worker = std::thread([this, id = ++m_transfersStarted, transfer = std::move(job.transfer)] {
        UpcomingExchange::Reply reply;
        try {
            reply = transfer();
        } catch (...) {
            // Nothing leaves a worker thread; the command hears of a failed exchange.
            reply.reset();
        }
        // Dropped unread if the runner goes first: its destructor joins this thread before that.
        m_queuedCalls->post([this, id, reply = std::move(reply)]() mutable { complete(id, std::move(reply)); });
    });
}

void BackgroundExchangeRunner::complete(std::uint64_t id, UpcomingExchange::Reply reply) {
    if (id != m_transfersStarted || !busy()) return;  // stopped after the transfer had ended: its rest is dropped
    m_worker.join();
    QApplication::restoreOverrideCursor();
    std::exchange(m_rest, {})(std::move(reply));
    if (!busy() && !m_waiting.empty()) startNext();
    if (!busy()) emit idle();
}

void BackgroundExchangeRunner::stop() {
    m_waiting.clear();
    if (!busy()) return;
    m_http.cancel();
    m_worker.join();
    m_rest = nullptr;
    QApplication::restoreOverrideCursor();
}

}  // namespace karvola::ui
