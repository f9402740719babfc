#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "database/ResearchDomainCommands.h"

class QListWidget;

namespace karvola::ui {

// The category dialog: a check list of the data base's categories, "name(count)",
// marked where the research domain already uses them.
class TResearchDomainSpecForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TResearchDomainSpecForm)

public:
    explicit TResearchDomainSpecForm(QWidget* parent = nullptr);

    // Refills the list; the dialog counts as cancelled until OK is pressed.
    void FillCategories(std::vector<CategoryChoice> categories);
    // The names (without counts) of the marked items, in list order.
    [[nodiscard]] std::vector<std::string> markedNames() const;
    [[nodiscard]] bool cancelled() const { return m_cancelled; }
    [[nodiscard]] QListWidget* checkList() const { return m_checkList; }

    void OkSpeedButtonClick();

private:
    QListWidget* m_checkList = nullptr;
    std::vector<CategoryChoice> m_categories;
    bool m_cancelled = true;
};

}  // namespace karvola::ui
