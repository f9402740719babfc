#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

namespace karvola::ui {

// Calls posted from any thread that run, in their order, on the thread of the
// object this belongs to, through that thread's event queue: how a worker hands
// its results to a window, as a queued QMetaObject::invokeMethod would. Calls
// still waiting when the owner goes are dropped with it.
//
// Qt's event queue orders what the worker did before posting against the call,
// but behind a futex ThreadSanitizer cannot see; each call tells it of the
// hand-over, so that a real race beside it is not lost among false reports.
class QueuedCalls final : public QObject {
public:
    // A child of `owner`, made on its thread.
    explicit QueuedCalls(QObject* owner);
    ~QueuedCalls() override = default;
    Q_DISABLE_COPY_MOVE(QueuedCalls)

    // Any thread.
    void post(std::function<void()> call);

protected:
    bool event(QEvent* event) override;
};

}  // namespace karvola::ui
