#pragma once

#include <QWidget>

#include "analysis/Simulation.h"

class QTreeWidget;

namespace karvola::ui {

// The "Bets Preview" window: one row per bet of the last simulation.
class TSimulationTableForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSimulationTableForm)

public:
    explicit TSimulationTableForm(QWidget* parent = nullptr);
    ~TSimulationTableForm() override;

    // Replaces the rows with the record's.
    void showRecord(const SimulationRecord& record);

private:
    QTreeWidget* m_simListView = nullptr;
};

}  // namespace karvola::ui
