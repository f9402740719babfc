#pragma once

#include <QWidget>

#include "analysis/Simulation.h"

class QTreeWidget;

namespace karvola::ui {

// The "Bets Preview" window: one row per bet of the last simulation. It opens
// without taking the keyboard from the command line, and widens to show all
// its columns (up to the screen's width), never narrowing what the user chose.
class TSimulationTableForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSimulationTableForm)

public:
    explicit TSimulationTableForm(QWidget* parent = nullptr);
    ~TSimulationTableForm() override;

    // Replaces the rows with the record's.
    void showRecord(const SimulationRecord& record);

    // The width that shows every column whole, frame and scroll bar included.
    [[nodiscard]] int columnsWidth() const;

private:
    void widenToColumns();

    QTreeWidget* m_simListView = nullptr;
};

}  // namespace karvola::ui
