#include "analysis/ui/TSimulationTableForm.h"

#include <QHeaderView>
#include <QList>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <string>

#include "common/ui/QtText.h"

namespace karvola::ui {

namespace {

QStringList cellsOf(const BetsPreviewRow& row) {
    const std::array<const std::string*, 12> cells = {&row.number,       &row.date,  &row.category, &row.teams,
                                                      &row.odds1,        &row.odds0, &row.odds2,    &row.decision,
                                                      &row.decisionOdds, &row.stake, &row.result,   &row.bankroll};
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(cells.size()));
    for (const std::string* cell : cells) texts << Text(*cell);
    return texts;
}

}  // namespace

TSimulationTableForm::TSimulationTableForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_simListView(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("Bets Preview"));
    // Shown after every simulation while the user goes on typing commands.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_simListView->setObjectName(QStringLiteral("SimListView"));
    m_simListView->setRootIsDecorated(false);
    m_simListView->setItemsExpandable(false);
    m_simListView->setUniformRowHeights(true);  // lets the view skip measuring every row
    m_simListView->setAlternatingRowColors(true);
    m_simListView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_simListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_simListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_simListView->setSortingEnabled(false);
    QStringList headers;
    for (const char* column : kBetsPreviewColumns) headers << QString::fromLatin1(column);
    m_simListView->setHeaderLabels(headers);
    m_simListView->header()->setStretchLastSection(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_simListView);

    resize(960, 420);
}

TSimulationTableForm::~TSimulationTableForm() = default;

void TSimulationTableForm::showRecord(const SimulationRecord& record) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(record.rows.size()));
    for (const BetsPreviewRow& row : record.rows) items << new QTreeWidgetItem(cellsOf(row));

    // One insertion and one layout instead of one per row.
    m_simListView->setUpdatesEnabled(false);
    m_simListView->clear();
    m_simListView->addTopLevelItems(items);  // the view takes the items
    for (int column = 0; column < m_simListView->columnCount(); ++column) m_simListView->resizeColumnToContents(column);
    m_simListView->setUpdatesEnabled(true);
    widenToColumns();
}

int TSimulationTableForm::columnsWidth() const {
    int width = 2 * m_simListView->frameWidth() + m_simListView->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_simListView->columnCount(); ++column) width += m_simListView->columnWidth(column);
    return width;
}

void TSimulationTableForm::widenToColumns() {
    const QScreen* screen = this->screen();
    const int available = screen == nullptr ? columnsWidth() : screen->availableGeometry().width();
    const int wanted = std::min(columnsWidth(), available);
    if (width() < wanted) resize(wanted, height());
}

}  // namespace karvola::ui
