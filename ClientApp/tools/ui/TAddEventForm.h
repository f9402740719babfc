#pragma once

#include <QDialog>
#include <QString>

#include "common/ui/MessageBoxes.h"

class QLineEdit;
class QShowEvent;

namespace karvola::ui {

// "Add Event": one bet after another, its name and its odds, for the betting
// manager's grid, until Close. Odds that are no number are refused.
class TAddEventForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAddEventForm)

public:
    explicit TAddEventForm(MessageBoxes& boxes, QWidget* parent = nullptr);

    [[nodiscard]] QLineEdit* eventEdit() const { return m_eventEdit; }
    [[nodiscard]] QLineEdit* courseEdit() const { return m_courseEdit; }

    void AddButtonClick();

signals:
    // A bet for the grid, both texts as typed.
    void eventAdded(const QString& event, const QString& course);

protected:
    void showEvent(QShowEvent* event) override;

private:
    MessageBoxes& m_boxes;
    QLineEdit* m_eventEdit = nullptr;
    QLineEdit* m_courseEdit = nullptr;
};

}  // namespace karvola::ui
