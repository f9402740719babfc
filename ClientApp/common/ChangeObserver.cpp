#include "common/ChangeObserver.h"

namespace karvola {

void ObserverSlot::attach(ChangeObserver* observer) {
    const std::lock_guard lock(m_mutex);
    m_observer = observer;
}

// Held while the observer runs, so that attach waits for a report in progress.
template <typename Report>
void ObserverSlot::forward(const Report& report) {
    const std::lock_guard lock(m_mutex);
    if (m_observer != nullptr) report(*m_observer);
}

void ObserverSlot::dataBaseChanged() {
    forward([](ChangeObserver& observer) { observer.dataBaseChanged(); });
}

void ObserverSlot::researchDomainChanged() {
    forward([](ChangeObserver& observer) { observer.researchDomainChanged(); });
}

void ObserverSlot::simulationEnded(bool completed) {
    forward([completed](ChangeObserver& observer) { observer.simulationEnded(completed); });
}

void ObserverSlot::historyCleared() {
    forward([](ChangeObserver& observer) { observer.historyCleared(); });
}

void ObserverSlot::optimizationStarted() {
    forward([](ChangeObserver& observer) { observer.optimizationStarted(); });
}

void ObserverSlot::optimizationProgress(int percent) {
    forward([percent](ChangeObserver& observer) { observer.optimizationProgress(percent); });
}

void ObserverSlot::optimizationHint(const std::string& hint) {
    forward([&hint](ChangeObserver& observer) { observer.optimizationHint(hint); });
}

void ObserverSlot::optimizationEnded() {
    forward([](ChangeObserver& observer) { observer.optimizationEnded(); });
}

}  // namespace karvola
