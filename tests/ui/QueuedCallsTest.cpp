#include <QObject>
#include <QTest>
#include <QThread>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/ui/QueuedCalls.h"

// Workers hand their results to the window's thread through QueuedCalls: every
// call runs there, each worker's in its order, with what the worker wrote
// before posting; calls still waiting when the owner goes are dropped with it.
namespace {

using karvola::ui::QueuedCalls;

class QueuedCallsTest final : public QObject {
    Q_OBJECT

private slots:
    void callsFromWorkersRunOnTheOwnersThreadInTheirOrder() {
        QObject owner;
        auto* calls = new QueuedCalls(&owner);
        constexpr int kWorkers = 4;
        constexpr int kCallsEach = 300;
        struct Arrival {
            int worker = 0;
            int index = 0;
            std::string text;
            bool onOwnersThread = false;
        };
        std::vector<Arrival> arrivals;  // touched on the owner's thread only
        std::vector<std::thread> workers;
        for (int worker = 0; worker < kWorkers; ++worker) {
            workers.emplace_back([&, worker] {
                for (int index = 0; index < kCallsEach; ++index) {
                    // Written here, read there: the hand-over must order the two.
                    auto text = std::make_unique<std::string>(std::to_string(worker * 1000 + index));
                    calls->post([&, worker, index, text = std::shared_ptr<std::string>(std::move(text))] {
                        arrivals.push_back({worker, index, *text, QThread::currentThread() == owner.thread()});
                    });
                }
            });
        }
        for (auto& worker : workers) worker.join();
        QTRY_COMPARE(arrivals.size(), std::size_t{kWorkers * kCallsEach});

        std::vector<int> next(kWorkers, 0);
        for (const Arrival& arrival : arrivals) {
            QVERIFY(arrival.onOwnersThread);
            QCOMPARE(arrival.index, next[static_cast<std::size_t>(arrival.worker)]++);
            QCOMPARE(arrival.text, std::to_string(arrival.worker * 1000 + arrival.index));
        }
    }

    void callsStillWaitingAreDroppedWithTheOwner() {
        auto owner = std::make_unique<QObject>();
        auto* calls = new QueuedCalls(owner.get());
        auto capture = std::make_shared<int>(0);
        const std::weak_ptr<int> watch = capture;
        bool ran = false;
        std::thread([calls, &ran, capture = std::move(capture)]() mutable {
            calls->post([&ran, capture = std::move(capture)] { ran = true; });
        }).join();
        owner.reset();
        QCoreApplication::processEvents();
        QVERIFY(!ran);
        QVERIFY(watch.expired());  // the call's captures went with it
    }
};

}  // namespace

QTEST_GUILESS_MAIN(QueuedCallsTest)
#include "QueuedCallsTest.moc"
