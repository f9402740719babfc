#pragma once

#include <QObject>
#include <QString>

#include "common/ChangeObserver.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

// The core's change reports as signals. Reports from the optimizer's worker
// thread, connected to objects of the window's thread, arrive queued and in
// order; the others arrive at once.
class ChangeRelay final : public QObject, public ChangeObserver {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChangeRelay)

public:
    explicit ChangeRelay(QObject* parent = nullptr) : QObject(parent) {}

    void dataBaseChanged() override { emit dataBase(); }
    void researchDomainChanged() override { emit researchDomain(); }
    void simulationEnded(bool completed) override { emit simulation(completed); }
    void historyCleared() override { emit history(); }
    void optimizationStarted() override { emit started(); }
    void optimizationProgress(int percent) override { emit progress(percent); }
    void optimizationHint(const std::string& text) override { emit hint(Text(text)); }
    void optimizationEnded() override { emit ended(); }

signals:
    void dataBase();
    void researchDomain();
    void simulation(bool completed);
    void history();
    void started();
    void progress(int percent);
    void hint(const QString& text);
    void ended();
};

}  // namespace karvola::ui
