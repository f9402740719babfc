#pragma once

#include <QDialog>
#include <QString>

#include "common/ui/MessageBoxes.h"
#include "tools/BettingManagerInput.h"
#include "tools/EventGrid.h"

class QLabel;
class QLayout;
class QLineEdit;
class QTableWidget;

namespace karvola::ui {

class TAddEventForm;

// "Betting Manager Platform": splits a capital among simultaneous bets. The
// grid lists the bets with their odds; Start gives each the mean of its Kelly
// stakes over every order in which the bets could be placed.
class TBettingmanagerForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TBettingmanagerForm)

public:
    explicit TBettingmanagerForm(MessageBoxes& boxes, QWidget* parent = nullptr);

    [[nodiscard]] TAddEventForm& addEventForm() const { return *m_addEventForm; }
    [[nodiscard]] const EventGrid& grid() const { return m_grid; }
    [[nodiscard]] QTableWidget* eventStringGrid() const { return m_eventStringGrid; }

    // Tools > Betting Manager: shows the window modally.
    void Be1Click();
    // The buttons, public so that they can be driven like a user would.
    void AddButtonClick();
    void DeleteButtonClick();
    void ClearButtonClick();
    void StartButtonClick();
    void CloseButtonClick();

private:
    QLayout* buildEdits();
    QWidget* buildGrid();
    QLayout* buildButtons();
    QWidget* buildInfoPanel();
    void placeAddEventForm();
    void addEvent(const QString& event, const QString& course);
    void showGrid();
    // The edit that gets the focus after an error in this field; none for the grid's odds.
    [[nodiscard]] QWidget* fieldWidget(BettingManagerField field) const;

    MessageBoxes& m_boxes;
    EventGrid m_grid;
    QLineEdit* m_capitalBallanceEdit = nullptr;
    QLineEdit* m_r1Edit = nullptr;
    QLineEdit* m_r2Edit = nullptr;
    QTableWidget* m_eventStringGrid = nullptr;
    QLabel* m_sumOfStakeLabel = nullptr;
    QLabel* m_cbp = nullptr;
    TAddEventForm* m_addEventForm = nullptr;
    bool m_addEventFormPlaced = false;
};

}  // namespace karvola::ui
