#include "database/ui/TDataPreviewForm.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "common/ui/QtText.h"

namespace karvola::ui {

TDataPreviewForm::TDataPreviewForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    m_listView = new QTreeWidget(this);
    m_listView->setObjectName(QStringLiteral("DataPreviewListView"));
    m_listView->setRootIsDecorated(false);
    m_listView->setUniformRowHeights(true);
    m_listView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listView->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Date"), QStringLiteral("Category"),
                                 QStringLiteral("Teams"), QStringLiteral("1"), QStringLiteral("X"), QStringLiteral("2"),
                                 QStringLiteral("Result")});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_listView);
    resize(820, 480);
}

void TDataPreviewForm::showRows(const std::vector<PreviewRow>& rows) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& row : rows) {
        items.append(
            new QTreeWidgetItem(QStringList{Text(row.number), Text(row.date), Text(row.category), Text(row.teams),
                                            Text(row.odds1), Text(row.odds0), Text(row.odds2), Text(row.result)}));
    }
    m_listView->setUpdatesEnabled(false);
    m_listView->clear();
    m_listView->addTopLevelItems(items);
    for (int column = 0; column < m_listView->columnCount(); ++column) m_listView->resizeColumnToContents(column);
    m_listView->setUpdatesEnabled(true);
}

void TDataPreviewForm::closeEvent(QCloseEvent* event) {
    m_listView->clear();
    event->accept();
}

}  // namespace karvola::ui
