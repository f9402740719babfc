#pragma once

#include <mutex>
#include <string>

namespace karvola {

// What the front ends show of the core has changed. One interface for every
// front end: the window redraws its labels, lists and progress bar, the
// headless terminal follows what it needs. The optimization's reports come from
// the optimizer's worker thread, the others from the thread that runs commands.
class ChangeObserver {
public:
    virtual ~ChangeObserver() = default;

    // The open data base's name, size or bookmakers.
    virtual void dataBaseChanged() {}
    // The research domain, its categories, LO and HI, BND% or restrictions.
    virtual void researchDomainChanged() {}
    // A sim or pe_sim has left its bets and points; completed is false when an
    // error stopped it (the chart was emptied, the rows so far stay).
    virtual void simulationEnded(bool /*completed*/) {}
    // The command history was emptied.
    virtual void historyCleared() {}

    virtual void optimizationStarted() {}
    virtual void optimizationProgress(int /*percent*/) {}
    virtual void optimizationHint(const std::string& /*hint*/) {}
    // After the report: progress back to 0.
    virtual void optimizationEnded() {}
};

// The one observer of a workstation, which a front end attaches and detaches
// at any time: once detach has returned, no report from any thread reaches the
// old observer.
class ObserverSlot final : public ChangeObserver {
public:
    // nullptr detaches.
    void attach(ChangeObserver* observer);

    void dataBaseChanged() override;
    void researchDomainChanged() override;
    void simulationEnded(bool completed) override;
    void historyCleared() override;
    void optimizationStarted() override;
    void optimizationProgress(int percent) override;
    void optimizationHint(const std::string& hint) override;
    void optimizationEnded() override;

private:
    template <typename Report>
    void forward(const Report& report);

    // Recursive: an observer may run a command that reports again on its thread.
    std::recursive_mutex m_mutex;
    ChangeObserver* m_observer = nullptr;
};

}  // namespace karvola
