#include "upcoming/ui/TUpcomingMatchesDisplayForm.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>

#include "common/ui/KarvolaLook.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/OpenExternally.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

namespace {

struct Column {
    const char* caption;
    int width;  // the least it gets; wider where the font needs it
};

constexpr std::array<Column, 9> kColumns{{{"No.", 40},
                                          {"Start", 90},
                                          {"Category", 150},
                                          {"Teams", 250},
                                          {"1", 50},
                                          {"X", 50},
                                          {"2", 50},
                                          {"Decision", 70},
                                          {"Stake", 70}}};

constexpr int kFontPixels = 11;
constexpr int kTeamsHeight = 19;
constexpr int kBookmakerLines = 4;
constexpr int kListLines = 8;

const QString kNormalList = QStringLiteral(
    "QListWidget { background: black; color: rgb(0,128,0); border: 1px solid rgb(0,128,0);"
    "  selection-background-color: rgb(0,128,0); selection-color: rgb(0,255,0); }");
const QString kHighlightedList = QStringLiteral(
    "QListWidget { background: rgb(0,128,0); color: rgb(0,255,0); border: 1px solid rgb(0,255,0);"
    "  selection-background-color: rgb(0,255,0); selection-color: black; }");

QString WindowStyleSheet() {
    return QStringLiteral(
        "QWidget#UpcomingMatchesDisplayForm { background: black; }"
        "QGroupBox { color: rgb(0,255,0); border: 1px solid rgb(0,128,0); margin-top: 2ex; padding-top: 1ex; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 4px; }"
        "QLabel { color: rgb(0,255,0); }"
        "QLabel#CategoryLabel { color: rgb(0,128,0); }"
        "QTreeWidget { background: black; color: rgb(0,255,0); border: 1px solid rgb(0,128,0);"
        "  selection-background-color: rgb(0,128,0); selection-color: rgb(0,255,0); }"
        "QHeaderView { background: black; }"
        "QHeaderView::section { background: black; color: rgb(0,255,0); border: none;"
        "  border-right: 1px solid rgb(0,128,0); border-bottom: 1px solid rgb(0,128,0); padding: 1px 4px; }"
        "QScrollBar:vertical, QScrollBar:horizontal { background: #101010; border: none; margin: 0; }"
        "QScrollBar:vertical { width: 14px; } QScrollBar:horizontal { height: 14px; }"
        "QScrollBar::handle { background: rgb(0,128,0); margin: 2px; border-radius: 4px; }"
        "QScrollBar::handle:vertical { min-height: 28px; } QScrollBar::handle:horizontal { min-width: 28px; }"
        "QScrollBar::handle:hover { background: rgb(0,255,0); }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; background: none; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
        "QMenu { background: black; color: rgb(0,255,0); border: 1px solid rgb(0,128,0); }"
        "QMenu::item { padding: 3px 18px; }"
        "QMenu::item:selected { background: rgb(0,128,0); }"
        "QMenu::item:disabled { color: #406040; }");
}

QStringList CellsOf(const UpcomingRow& row) {
    return {QString::number(row.number),
            Text(row.start),
            Text(row.category),
            Text(row.teams),
            Text(row.odds1),
            Text(row.odds0),
            Text(row.odds2),
            Text(DecisionText(row.decision)),
            QString()};
}

bool IsLink(const std::string& link) {
    return !link.empty() && link != "empty";
}

}  // namespace

TUpcomingMatchesDisplayForm::TUpcomingMatchesDisplayForm(UpcomingListing& listing, const UpcomingMatchDBMS& model,
                                                         std::function<const AffiliateLinks&()> directory,
                                                         QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      m_listing(listing),
      m_model(model),
      m_directory(std::move(directory)) {
    setObjectName(QStringLiteral("UpcomingMatchesDisplayForm"));
    setWindowTitle(QStringLiteral("Upcoming Events for your current research domain"));
    // Refilled by commands while the user goes on typing them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_StyledBackground);
    QFont font = look::TerminalFont();
    font.setPixelSize(kFontPixels);
    setFont(font);
    setStyleSheet(WindowStyleSheet());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildDetails());
    buildListView();
    layout->addWidget(m_upcomingMatchesListView, 1);
    ClearDisplay();

    int columns = 0;
    for (const Column& column : kColumns) columns += column.width;
    resize(columns + chromeWidth(), sizeHint().height());
}

// What the window's width holds besides the list's columns: its margins, the
// list's frame and the scroll bar that a longer list brings.
int TUpcomingMatchesDisplayForm::chromeWidth() const {
    const QMargins margins = layout()->contentsMargins();
    return margins.left() + margins.right() + 2 * m_upcomingMatchesListView->frameWidth() +
           m_upcomingMatchesListView->verticalScrollBar()->sizeHint().width();
}

QWidget* TUpcomingMatchesDisplayForm::buildDetails() {
    auto* group = new QGroupBox(QStringLiteral(" Match Details "), this);
    group->setObjectName(QStringLiteral("MatchDetailsGroupBox"));
    auto* grid = new QGridLayout(group);
    const auto label = [group](const QString& name, Qt::Alignment alignment) {
        auto* made = new QLabel(group);
        made->setObjectName(name);
        made->setAlignment(alignment);
        return made;
    };
    m_teamsLabel = label(QStringLiteral("TeamsLabel"), Qt::AlignCenter);
    QFont bold = font();
    bold.setBold(true);
    m_teamsLabel->setFont(bold);
    m_teamsLabel->setMinimumHeight(kTeamsHeight);
    m_dateTimeLabel = label(QStringLiteral("DateTimeLabel"), Qt::AlignCenter);
    m_categoryLabel = label(QStringLiteral("CategoryLabel"), Qt::AlignCenter);
    grid->addWidget(m_teamsLabel, 0, 0, 1, 3);
    grid->addWidget(m_dateTimeLabel, 1, 0, 1, 3);
    grid->addWidget(m_categoryLabel, 2, 0, 1, 3);

    constexpr std::array<const char*, 3> kOutcomes{"1", "0", "2"};
    for (std::size_t outcome = 0; outcome < kOutcomes.size(); ++outcome) {
        const QString suffix = QString::fromLatin1(kOutcomes[outcome]);
        const int column = static_cast<int>(outcome);
        m_maxOddsLabels[outcome] =
            label(QStringLiteral("MaxOdds") + suffix + QStringLiteral("Label"), Qt::AlignLeft | Qt::AlignVCenter);
        auto* list = new QListWidget(group);
        list->setObjectName(QStringLiteral("BookmakersMaxOdds") + suffix + QStringLiteral("ListBox"));
        list->setFixedHeight(kBookmakerLines * list->fontMetrics().lineSpacing() + 2 * list->frameWidth() + 4);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list] { BookmakersMaxOdds1ListBoxDblClick(*list); });
        m_bookmakerLists[outcome] = list;
        m_stakeLabels[outcome] =
            label(QStringLiteral("Odds") + suffix + QStringLiteral("StakeLabel"), Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(m_maxOddsLabels[outcome], 3, column);
        grid->addWidget(list, 4, column);
        grid->addWidget(m_stakeLabels[outcome], 5, column);
        grid->setColumnStretch(column, 1);
    }
    return group;
}

void TUpcomingMatchesDisplayForm::buildListView() {
    m_upcomingMatchesListView = new QTreeWidget(this);
    QTreeWidget* view = m_upcomingMatchesListView;
    view->setObjectName(QStringLiteral("UpcomingMatchesListView"));
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    QStringList headers;
    for (const Column& column : kColumns) headers << QString::fromLatin1(column.caption);
    view->setHeaderLabels(headers);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        view->setColumnWidth(static_cast<int>(column), kColumns[column].width);
    }
    view->setMinimumHeight(kListLines * view->fontMetrics().lineSpacing());
    // A click, and the arrow keys alike, show the details of the row they reach.
    connect(view, &QTreeWidget::currentItemChanged, this, [this](const QTreeWidgetItem* current) {
        if (current != nullptr) UpcomingMatchesListViewClick();
    });

    m_tablePopupMenu = new QMenu(view);
    m_tablePopupMenu->setObjectName(QStringLiteral("TablePopupMenu"));
    m_deleteMatch = m_tablePopupMenu->addAction(QStringLiteral("Delete this match from list && don't show again"));
    m_deleteMatch->setObjectName(QStringLiteral("Deletethismatchfromlistdontshowagain1"));
    m_deleteMatch->setShortcut(QKeySequence::Delete);
    m_deleteMatch->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(m_deleteMatch);  // the Delete key on the list
    connect(m_deleteMatch, &QAction::triggered, this,
            &TUpcomingMatchesDisplayForm::Deletethismatchfromlistdontshowagain1Click);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        m_tablePopupMenu->popup(m_upcomingMatchesListView->viewport()->mapToGlobal(position));
    });
}

void TUpcomingMatchesDisplayForm::closeAndClear() {
    close();
    ClearDisplay();
}

void TUpcomingMatchesDisplayForm::showListing() {
    FillFromDecisions();
    show();
    emit listingShown();
}

void TUpcomingMatchesDisplayForm::ClearDisplay() {
    for (QListWidget* list : m_bookmakerLists) showBookmakers(*list, {}, false);
    for (QLabel* label : m_maxOddsLabels) label->clear();
    for (QLabel* label : m_stakeLabels) label->clear();
    m_teamsLabel->setText(QString::fromLatin1(kNoMatches));
    m_dateTimeLabel->clear();
    m_categoryLabel->clear();
    m_deleteMatch->setEnabled(false);
    m_upcomingMatchesListView->clear();
}

void TUpcomingMatchesDisplayForm::FillFromDecisions() {
    ClearDisplay();
    QList<QTreeWidgetItem*> items;
    for (const UpcomingRow& row : m_listing.rows()) items << new QTreeWidgetItem(CellsOf(row));
    m_upcomingMatchesListView->addTopLevelItems(items);  // the view takes the items
    fitColumns();
    if (items.isEmpty()) return;
    m_deleteMatch->setEnabled(true);
    {
        const QSignalBlocker once(m_upcomingMatchesListView);
        m_upcomingMatchesListView->setCurrentItem(items.constFirst());
    }
    UpcomingMatchesListViewClick();
}

void TUpcomingMatchesDisplayForm::UpcomingMatchesListViewClick() {
    const int position = m_upcomingMatchesListView->indexOfTopLevelItem(m_upcomingMatchesListView->currentItem());
    if (position < 0) return;
    const UpcomingDetails details = m_listing.details(static_cast<std::size_t>(position), m_model);
    m_teamsLabel->setText(Text(details.teams));
    m_dateTimeLabel->setText(Text(details.dateTime));
    m_categoryLabel->setText(Text(details.category));
    for (std::size_t outcome = 0; outcome < 3; ++outcome) {
        m_maxOddsLabels[outcome]->setText(Text(details.maxOdds[outcome]));
        // A three-way bet has no split: the stakes shown before stay.
        if (details.stakes) m_stakeLabels[outcome]->setText(Text((*details.stakes)[outcome]));
        showBookmakers(*m_bookmakerLists[outcome], details.bookmakers[outcome], details.backed[outcome]);
    }
}

void TUpcomingMatchesDisplayForm::showBookmakers(QListWidget& list, const std::vector<std::string>& names,
                                                 bool backed) {
    list.clear();
    for (const std::string& name : names) list.addItem(Text(name));
    list.setToolTip(names.empty() ? QString() : QString::fromLatin1(kBookmakersHint));
    list.setStyleSheet(backed ? kHighlightedList : kNormalList);
}

void TUpcomingMatchesDisplayForm::BookmakersMaxOdds1ListBoxDblClick(const QListWidget& list) {
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) return;
    const std::string name = Bytes(selected.constFirst()->text());
    const AffiliateLinks& directory = m_directory();
    // An entry written with a trailing blank comes first; otherwise the name as listed.
    std::string link = directory.GetLink(name + " ");
    if (!IsLink(link)) link = directory.GetLink(name);
    if (!IsLink(link)) return;
    QtMessageBoxes boxes;
    OpenExternally(QUrl(Text(link)), boxes, this);
}

void TUpcomingMatchesDisplayForm::Deletethismatchfromlistdontshowagain1Click() {
    const int position = m_upcomingMatchesListView->indexOfTopLevelItem(m_upcomingMatchesListView->currentItem());
    if (position < 0) return;
    const auto next = m_listing.hide(static_cast<std::size_t>(position));
    {
        const QSignalBlocker quiet(m_upcomingMatchesListView);
        const std::unique_ptr<QTreeWidgetItem> removed(m_upcomingMatchesListView->takeTopLevelItem(position));
        if (next)
            m_upcomingMatchesListView->setCurrentItem(m_upcomingMatchesListView->topLevelItem(static_cast<int>(*next)));
    }
    if (next) {
        UpcomingMatchesListViewClick();
    } else {
        ClearDisplay();
    }
}

// The columns keep their widths, or more where the font needs it, and the
// window widens to show them all (within the screen), never narrowing what the user chose.
void TUpcomingMatchesDisplayForm::fitColumns() {
    QTreeWidget* view = m_upcomingMatchesListView;
    int columns = 0;
    for (std::size_t column = 0; column < kColumns.size(); ++column) {
        const int index = static_cast<int>(column);
        view->resizeColumnToContents(index);
        view->setColumnWidth(index, std::max(view->columnWidth(index), kColumns[column].width));
        columns += view->columnWidth(index);
    }
    const int wanted = columns + chromeWidth();
    const QScreen* screen = this->screen();
    const int available = screen == nullptr ? wanted : screen->availableGeometry().width();
    if (width() < std::min(wanted, available)) resize(std::min(wanted, available), height());
}

}  // namespace karvola::ui
