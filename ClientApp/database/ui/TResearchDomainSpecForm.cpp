#include "database/ui/TResearchDomainSpecForm.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/DialogButtons.h"
#include "common/ui/KarvolaLook.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

TResearchDomainSpecForm::TResearchDomainSpecForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Research Domain Specification..."));
    setModal(true);
    look::ApplyDialogLook(*this);
    resize(420, 460);
    m_checkList = new QListWidget(this);
    m_checkList->setObjectName(QStringLiteral("ResearchDomainCheckListBox"));
    auto* ok = new QPushButton(QStringLiteral("[  OK   ]"), this);
    ok->setObjectName(QStringLiteral("OkSpeedButton"));
    ok->setFlat(true);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("[ CANCEL ] "), this);
    cancel->setObjectName(QStringLiteral("CancelSpeedButton"));
    cancel->setFlat(true);
    connect(ok, &QPushButton::clicked, this, &TResearchDomainSpecForm::OkSpeedButtonClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_checkList);
    layout->addLayout(ButtonRow({ok, cancel}));
    look::PutLastInTabOrder(*this, {ok, cancel});
}

void TResearchDomainSpecForm::FillCategories(std::vector<CategoryChoice> categories) {
    m_cancelled = true;
    m_categories = std::move(categories);
    m_checkList->clear();
    for (const auto& category : m_categories) {
        auto* item = new QListWidgetItem(
            Text(category.name) + QLatin1Char('(') + QString::number(category.count) + QLatin1Char(')'), m_checkList);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(category.marked ? Qt::Checked : Qt::Unchecked);
    }
}

std::vector<std::string> TResearchDomainSpecForm::markedNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < m_checkList->count(); ++row) {
        if (m_checkList->item(row)->checkState() == Qt::Checked) {
            names.push_back(m_categories.at(static_cast<std::size_t>(row)).name);
        }
    }
    return names;
}

void TResearchDomainSpecForm::OkSpeedButtonClick() {
    m_cancelled = false;
    accept();
}

}  // namespace karvola::ui
