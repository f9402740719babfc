#include "database/ui/TSetupGeneralPropertiesForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/ui/DialogButtons.h"
#include "common/ui/KarvolaLook.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

TSetupGeneralPropertiesForm::TSetupGeneralPropertiesForm(GeneralProperties& properties,
                                                         const ResearchDomainModel& researchDomain,
                                                         const OpenDataBase& dataBase, MessageBoxes& boxes,
                                                         QWidget* parent)
    : QDialog(parent),
      m_properties(properties),
      m_researchDomain(researchDomain),
      m_dataBase(dataBase),
      m_boxes(boxes) {
    setWindowTitle(QStringLiteral("Setup General Properties..."));
    setModal(true);

    look::ApplyDialogLook(*this);

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget(tabs);
    tabs->addTab(page, QStringLiteral("Properties"));
    tabs->tabBar()->setFocusPolicy(Qt::NoFocus);  // one page: nothing to switch to
    auto* grid = new QGridLayout(page);
    const auto addEdit = [page, grid](int row, QLabel*& label, const char* caption, const char* name) {
        label = new QLabel(QString::fromLatin1(caption), page);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QString::fromLatin1(name));
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    QLabel* dataBaseLabel = nullptr;
    m_dataBaseNameEdit = addEdit(0, dataBaseLabel, "Data Base:", "DataBaseNameEdit");
    m_dataBaseNameEdit->setEnabled(false);
    m_partitioningLabel = new QLabel(QStringLiteral("Used Domain Partitioning:"), page);
    grid->addWidget(m_partitioningLabel, 1, 0, 1, 2);
    m_infimumEdit = addEdit(2, m_infimumLabel, "LO Range:", "CompartmentInfimumEdit");
    m_supremumEdit = addEdit(3, m_supremumLabel, "HI Range:", "CompartmentSupremumEdit");
    m_bndEdit = addEdit(4, m_bndLabel, "BND%:", "BNDEdit");
    grid->setRowStretch(5, 1);

    auto* ok = new QPushButton(QStringLiteral("[   OK   ]"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("[ CANCEL ]"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &TSetupGeneralPropertiesForm::OkButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(ButtonRow({ok, cancel}));
    look::PutLastInTabOrder(*this, {ok, cancel});
    resize(460, 240);
}

QLineEdit* TSetupGeneralPropertiesForm::edit(Field field) const {
    switch (field) {
        case Field::Infimum:
            return m_infimumEdit;
        case Field::Supremum:
            return m_supremumEdit;
        case Field::Bnd:
            break;
    }
    return m_bndEdit;
}

void TSetupGeneralPropertiesForm::setBndEditEnabled(bool enabled) {
    m_bndEdit->setEnabled(enabled);
    m_bndLabel->setEnabled(enabled);
}

void TSetupGeneralPropertiesForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

// Copies the main window's values; what may be edited is the properties' rule.
void TSetupGeneralPropertiesForm::FormActivate() {
    const QString name = m_dataBase.isLoaded() ? FileNameText(m_dataBase.nameLabel()) : Text(m_dataBase.nameLabel());
    m_dataBaseNameEdit->setText(name);
    m_dataBaseNameEdit->setToolTip(m_dataBase.isLoaded() ? name : QString());
    m_infimumEdit->setText(QString::number(m_researchDomain.lo()));
    m_supremumEdit->setText(QString::number(m_researchDomain.hi()));
    m_bndEdit->setText(Text(m_researchDomain.bnd()));

    const GeneralProperties::Editable editable = m_properties.editable();
    for (QWidget* widget : {static_cast<QWidget*>(m_partitioningLabel), static_cast<QWidget*>(m_infimumLabel),
                            static_cast<QWidget*>(m_supremumLabel), static_cast<QWidget*>(m_infimumEdit),
                            static_cast<QWidget*>(m_supremumEdit)}) {
        widget->setEnabled(editable.range);
    }
    setBndEditEnabled(editable.bnd);

    QLineEdit* target = edit(m_focusTarget);
    if (!target->isEnabled()) target = m_bndEdit;
    if (target->isEnabled()) {
        target->setFocus();
        target->selectAll();
    }
}

void TSetupGeneralPropertiesForm::OkButtonClick() {
    const auto error =
        m_properties.apply(Bytes(m_infimumEdit->text()), Bytes(m_supremumEdit->text()), Bytes(m_bndEdit->text()));
    if (!error) {
        accept();
        return;
    }
    m_boxes.inform(this, Text(error->caption), Text(error->text));
    edit(error->focus)->setFocus();
}

}  // namespace karvola::ui
