#include "tools/ui/TBettingmanagerForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "common/ui/QtText.h"
#include "common/ui/WaitCursor.h"
#include "common/ui/WindowPlacement.h"
#include "tools/BettingManager.h"
#include "tools/ui/BettingManagerLook.h"
#include "tools/ui/TAddEventForm.h"

namespace karvola::ui {

namespace {

struct Column {
    const char* caption;
    int width;
};
constexpr std::array<Column, 3> kColumns{{{"Event", 180}, {"Odds", 91}, {"Stake", 64}}};
constexpr int kVisibleRows = 12;
constexpr int kNumberEditWidth = 70;
constexpr int kAddEventGap = 8;
constexpr int kFieldGap = 12;

// The dialog look leaves tables to the platform; the grid reads like the other lists.
const QString kGridStyleSheet = QStringLiteral(
    "QTableWidget { background: white; color: black; gridline-color: #c0c0c0;"
    "  selection-background-color: #404040; selection-color: white; }"
    "QHeaderView::section { background: #202020; color: silver; border: none;"
    "  border-right: 1px solid #5a5a5a; border-bottom: 1px solid #5a5a5a; padding: 2px 4px; }"
    "QScrollBar:vertical { background: #e8e8e8; width: 14px; margin: 0; border: none; }"
    "QScrollBar::handle:vertical { background: #909090; min-height: 28px; margin: 2px; border-radius: 4px; }"
    "QScrollBar::handle:vertical:hover { background: #606060; }"
    "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; background: none; }"
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");

QPushButton* Button(const char* caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* NumberEdit(const char* text, const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFixedWidth(kNumberEditWidth);
    return edit;
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

}  // namespace

TBettingmanagerForm::TBettingmanagerForm(MessageBoxes& boxes, QWidget* parent) : QDialog(parent), m_boxes(boxes) {
    setWindowTitle(QStringLiteral("Betting Manager Platform"));
    setModal(true);
    ApplyBettingManagerLook(*this);

    // Made in the order Tab visits them: the edits, the grid, the buttons.
    QLayout* edits = buildEdits();
    auto* middle = new QHBoxLayout;
    middle->addWidget(buildGrid(), 1);
    middle->addLayout(buildButtons());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(edits);
    layout->addLayout(middle, 1);
    layout->addWidget(buildInfoPanel());

    m_addEventForm = new TAddEventForm(boxes, this);
    connect(m_addEventForm, &TAddEventForm::eventAdded, this, &TBettingmanagerForm::addEvent);
    WindowPlacement::Keep(*m_addEventForm, WindowPlacement::FirstShowing::ByWindowManager);
    showGrid();
}

QLayout* TBettingmanagerForm::buildEdits() {
    m_capitalBallanceEdit = NumberEdit("1000,0", "CapitalBallanceEdit", this);
    m_r1Edit = NumberEdit("0,07", "R1_45", this);
    m_r2Edit = NumberEdit("0,30", "R2_60", this);
    auto* edits = new QHBoxLayout;
    const std::array<std::pair<const char*, QLineEdit*>, 3> fields{
        {{"Capital Ballance", m_capitalBallanceEdit}, {"R[1,45]=", m_r1Edit}, {"R[2,60]=", m_r2Edit}}};
    for (const auto& [caption, edit] : fields) {
        if (edit != m_capitalBallanceEdit) edits->addSpacing(kFieldGap);
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(edit);
        edits->addWidget(label);
        edits->addWidget(edit);
    }
    edits->addStretch(1);
    return edits;
}

QLayout* TBettingmanagerForm::buildButtons() {
    QPushButton* add = Button("Add Item", "AddButton", this);
    QPushButton* remove = Button("Delete Item", "DeleteButton", this);
    QPushButton* clear = Button("Clear", "ClearButton", this);
    QPushButton* start = Button("Start", "StartButton", this);
    QPushButton* close = Button("Close", "CloseButton", this);
    connect(add, &QPushButton::clicked, this, &TBettingmanagerForm::AddButtonClick);
    connect(remove, &QPushButton::clicked, this, &TBettingmanagerForm::DeleteButtonClick);
    connect(clear, &QPushButton::clicked, this, &TBettingmanagerForm::ClearButtonClick);
    connect(start, &QPushButton::clicked, this, &TBettingmanagerForm::StartButtonClick);
    connect(close, &QPushButton::clicked, this, &TBettingmanagerForm::CloseButtonClick);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, remove, clear}) buttons->addWidget(button);
    buttons->addSpacing(kFieldGap);
    buttons->addWidget(start);
    buttons->addStretch(1);
    buttons->addWidget(close);
    return buttons;
}

QWidget* TBettingmanagerForm::buildGrid() {
    m_eventStringGrid = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    QTableWidget* grid = m_eventStringGrid;
    grid->setObjectName(QStringLiteral("EventStringGrid"));
    grid->setStyleSheet(kGridStyleSheet);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setStretchLastSection(true);
    QStringList headers;
    int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        headers << QString::fromLatin1(kColumns[column].caption);
        grid->setColumnWidth(static_cast<int>(column), kColumns[column].width);
        width += kColumns[column].width;
    }
    grid->setHorizontalHeaderLabels(headers);
    grid->setMinimumWidth(width);
    grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() +
                           kVisibleRows * grid->verticalHeader()->defaultSectionSize() + 2 * grid->frameWidth());
    return grid;
}

QWidget* TBettingmanagerForm::buildInfoPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("InfoPanel"));
    m_sumOfStakeLabel = new QLabel(QStringLiteral("0,00"), panel);
    m_sumOfStakeLabel->setObjectName(QStringLiteral("SumOfStakeLabel"));
    m_cbp = new QLabel(QStringLiteral("0,000"), panel);
    m_cbp->setObjectName(QStringLiteral("CBp"));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Total stake:"), panel));
    layout->addWidget(m_sumOfStakeLabel);
    layout->addSpacing(24);
    layout->addWidget(new QLabel(QStringLiteral("CB% = "), panel));
    layout->addWidget(m_cbp);
    layout->addStretch(1);
    return panel;
}

void TBettingmanagerForm::Be1Click() {
    exec();
}

void TBettingmanagerForm::AddButtonClick() {
    if (!m_addEventFormPlaced) placeAddEventForm();
    m_addEventFormPlaced = true;
    m_addEventForm->exec();
}

// The first time beside the grid, so that the bets are seen arriving in it;
// where the screen has no room there, over the window as dialogs open. Later
// it opens where the user left it.
void TBettingmanagerForm::placeAddEventForm() {
    m_addEventForm->adjustSize();
    const QPoint beside(frameGeometry().right() + kAddEventGap, m_eventStringGrid->mapToGlobal(QPoint(0, 0)).y());
    const QScreen* screen = this->screen();
    if (screen != nullptr && screen->availableGeometry().contains(QRect(beside, m_addEventForm->size()))) {
        m_addEventForm->move(beside);
    }
}

// The names never leave the window, so they keep every character typed; the
// odds are read as the core's 8-bit texts.
void TBettingmanagerForm::addEvent(const QString& event, const QString& course) {
    m_grid.add(event.toStdString(), Bytes(course));
    showGrid();
    m_eventStringGrid->scrollToBottom();  // the new bet and the blank row below it
}

// The selected block of rows; without a selection, the current row.
void TBettingmanagerForm::DeleteButtonClick() {
    const QList<QTableWidgetSelectionRange> ranges = m_eventStringGrid->selectedRanges();
    int top = m_eventStringGrid->currentRow();
    int bottom = top;
    if (!ranges.isEmpty()) {
        top = ranges.constFirst().topRow();
        bottom = ranges.constFirst().bottomRow();
    }
    if (top < 0) return;
    m_grid.deleteRows(top + EventGrid::kFirstDataRow, bottom + EventGrid::kFirstDataRow);
    showGrid();
    // The rows that moved up were not chosen: a second Delete must not take them.
    m_eventStringGrid->clearSelection();
    m_eventStringGrid->setCurrentItem(nullptr);
}

void TBettingmanagerForm::ClearButtonClick() {
    m_grid.clear();
    showGrid();
}

void TBettingmanagerForm::StartButtonClick() {
    try {
        const BettingManagerParameters parameters = ReadBettingManagerParameters(
            Bytes(m_capitalBallanceEdit->text()), Bytes(m_r1Edit->text()), Bytes(m_r2Edit->text()));
        const WaitCursor wait;
        std::vector<float> odds;
        for (const EventGrid::row_t& bet : m_grid.bets()) odds.push_back(ReadCourse(bet.odds));
        const BettingManagerResult result = ComputeStakes(odds, parameters);
        m_grid.setStakes(result.stakes);
        showGrid();
        m_sumOfStakeLabel->setText(Text(result.total));
        m_cbp->setText(Text(result.capitalPercent));
    } catch (const BettingManagerInputError& error) {
        m_boxes.inform(this, QStringLiteral("Error"), Text(error.what()));
        fieldWidget(error.field())->setFocus(Qt::OtherFocusReason);
    }
}

void TBettingmanagerForm::CloseButtonClick() {
    accept();
}

QWidget* TBettingmanagerForm::fieldWidget(BettingManagerField field) const {
    switch (field) {
        case BettingManagerField::Capital:
            return m_capitalBallanceEdit;
        case BettingManagerField::R1:
            return m_r1Edit;
        case BettingManagerField::R2:
            return m_r2Edit;
        case BettingManagerField::Course:
            break;
    }
    return m_eventStringGrid;
}

void TBettingmanagerForm::showGrid() {
    const int rows = m_grid.rowCount() - EventGrid::kFirstDataRow;
    m_eventStringGrid->setRowCount(rows);
    const auto bets = m_grid.bets();
    for (int row = 0; row < rows; ++row) {
        const bool blank = row == rows - 1;
        const EventGrid::row_t empty;
        const EventGrid::row_t& cells = blank ? empty : bets[static_cast<std::size_t>(row)];
        m_eventStringGrid->setItem(row, 0, Cell(QString::fromStdString(cells.event), Qt::AlignLeft));
        m_eventStringGrid->setItem(row, 1, Cell(Text(cells.odds), Qt::AlignRight));
        m_eventStringGrid->setItem(row, 2, Cell(Text(cells.stake), Qt::AlignRight));
    }
}

}  // namespace karvola::ui
