#pragma once

#include <QDialog>

#include "common/ui/MessageBoxes.h"
#include "database/GeneralProperties.h"
#include "database/OpenDataBase.h"
#include "database/ResearchDomainModel.h"

class QLabel;
class QLineEdit;

namespace karvola::ui {

// "Setup General Properties...": edits LO Range, HI Range and BND% of the
// research domain. The edits are disabled while the optimizer runs, since the
// optimizer reads those values.
class TSetupGeneralPropertiesForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TSetupGeneralPropertiesForm)

public:
    using Field = PropertiesError::Field;

    TSetupGeneralPropertiesForm(GeneralProperties& properties, const ResearchDomainModel& researchDomain,
                                const OpenDataBase& dataBase, MessageBoxes& boxes, QWidget* parent = nullptr);

    // The edit that gets the focus when the dialog opens (if it is enabled).
    void SetFocusTarget(Field field) { m_focusTarget = field; }
    // Disables the BND% edit before opening while the optimizer runs.
    void setBndEditEnabled(bool enabled);
    [[nodiscard]] QLineEdit* edit(Field field) const;
    [[nodiscard]] QLineEdit* dataBaseNameEdit() const { return m_dataBaseNameEdit; }

    void FormActivate();
    void OkButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    GeneralProperties& m_properties;
    const ResearchDomainModel& m_researchDomain;
    const OpenDataBase& m_dataBase;
    MessageBoxes& m_boxes;
    QLineEdit* m_dataBaseNameEdit = nullptr;
    QLineEdit* m_infimumEdit = nullptr;
    QLineEdit* m_supremumEdit = nullptr;
    QLineEdit* m_bndEdit = nullptr;
    QLabel* m_partitioningLabel = nullptr;
    QLabel* m_infimumLabel = nullptr;
    QLabel* m_supremumLabel = nullptr;
    QLabel* m_bndLabel = nullptr;
    Field m_focusTarget = Field::Bnd;
};

}  // namespace karvola::ui
