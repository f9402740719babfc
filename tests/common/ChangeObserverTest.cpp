#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/ChangeObserver.h"

namespace karvola {
namespace {

// Counts reports, and those that arrive after it was told it is gone.
class CountingObserver final : public ChangeObserver {
public:
    void researchDomainChanged() override { count(); }
    void optimizationProgress(int) override { count(); }
    void optimizationEnded() override { count(); }

    std::atomic<int> reports{0};
    std::atomic<int> lateReports{0};
    std::atomic<bool> gone{false};

private:
    void count() {
        ++reports;
        if (gone) ++lateReports;
    }
};

TEST(ObserverSlot, ForwardsToTheAttachedObserverOnly) {
    ObserverSlot slot;
    slot.researchDomainChanged();  // nobody attached: nothing happens
    CountingObserver first;
    CountingObserver second;
    slot.attach(&first);
    slot.researchDomainChanged();
    slot.attach(&second);
    slot.optimizationEnded();
    slot.attach(nullptr);
    slot.researchDomainChanged();
    EXPECT_EQ(first.reports, 1);
    EXPECT_EQ(second.reports, 1);
}

// The window detaches its observer before it goes while the optimizer's worker
// may still be reporting: no report may reach the observer after that.
TEST(ObserverSlot, NoReportFromAnotherThreadArrivesAfterDetaching) {
    for (int round = 0; round < 50; ++round) {
        ObserverSlot slot;
        CountingObserver observer;
        slot.attach(&observer);
        std::atomic<bool> stop{false};
        std::thread worker([&slot, &stop] {
            for (int percent = 0; !stop; percent = (percent + 1) % 100) slot.optimizationProgress(percent);
        });
        while (observer.reports < 10) std::this_thread::yield();
        slot.attach(nullptr);
        observer.gone = true;
        stop = true;
        worker.join();
        EXPECT_EQ(observer.lateReports, 0) << "round " << round;
    }
}

}  // namespace
}  // namespace karvola
