#include "common/ui/QueuedCalls.h"

#include <QCoreApplication>
#include <memory>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace karvola::ui {
namespace {

// Only QueuedCalls objects receive it, so no other user type can be mistaken for it.
constexpr auto kCallEvent = static_cast<QEvent::Type>(QEvent::User + 1);

// The posting thread's side of the hand-over, and the receiving thread's.
#if defined(__SANITIZE_THREAD__)
void HandedOver(void* event) {
    __tsan_release(event);
}
void TakenOver(void* event) {
    __tsan_acquire(event);
}
#else
void HandedOver(void*) {}
void TakenOver(void*) {}
#endif

class CallEvent final : public QEvent {
public:
    explicit CallEvent(std::function<void()> call) : QEvent(kCallEvent), m_call(std::move(call)) {}
    // Also when the call is dropped unrun: its captures go on the receiving thread.
    ~CallEvent() override { TakenOver(this); }
    Q_DISABLE_COPY_MOVE(CallEvent)

    void run() { m_call(); }

private:
    std::function<void()> m_call;
};

}  // namespace

QueuedCalls::QueuedCalls(QObject* owner) : QObject(owner) {}

void QueuedCalls::post(std::function<void()> call) {
    auto event = std::make_unique<CallEvent>(std::move(call));
    HandedOver(event.get());
    QCoreApplication::postEvent(this, event.release());
}

bool QueuedCalls::event(QEvent* event) {
    // Before anything of the event is read, its type included.
    TakenOver(event);
    if (event->type() != kCallEvent) return QObject::event(event);
    static_cast<CallEvent*>(event)->run();
    return true;
}

}  // namespace karvola::ui
