#include "directory/ui/BookmakerListMenu.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QUrl>

#include "common/ui/MessageBoxes.h"
#include "common/ui/OpenExternally.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

BookmakerListMenu::BookmakerListMenu(QListWidget& list, std::function<const AffiliateLinks&()> directory,
                                     MessageBoxes& boxes, QObject* parent)
    : QObject(parent), m_list(list), m_directory(std::move(directory)), m_boxes(boxes) {
    m_popupMenu = new QMenu(&m_list);
    m_popupMenu->setObjectName(QStringLiteral("BookmakersListBoxPopupMenu"));
    m_visitHomepage = m_popupMenu->addAction(QStringLiteral("Visit Homepage"));
    m_visitHomepage->setObjectName(QStringLiteral("VisitHomepage1"));
    m_visitHomepage->setEnabled(false);
    m_additionalInfo = m_popupMenu->addAction(QStringLiteral("Additional Info..."));
    m_additionalInfo->setObjectName(QStringLiteral("AdditionalInfo1"));
    m_additionalInfo->setEnabled(false);
    connect(m_visitHomepage, &QAction::triggered, this, &BookmakerListMenu::VisitHomepage1Click);
    connect(m_additionalInfo, &QAction::triggered, this, &BookmakerListMenu::AdditionalInfo1Click);

    m_list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        BookmakersListBoxPopupMenuPopup();
        m_popupMenu->popup(m_list.viewport()->mapToGlobal(position));
    });
    listChanged();
}

void BookmakerListMenu::listChanged() {
    const bool hasItems = m_list.count() > 0;
    m_list.setToolTip(hasItems ? QString::fromLatin1(kHint) : QString());
    if (hasItems && !m_doubleClickAttached) {
        connect(&m_list, &QListWidget::itemDoubleClicked, this, &BookmakerListMenu::BaseBookmakersListBoxDblClick);
    } else if (!hasItems && m_doubleClickAttached) {
        disconnect(&m_list, &QListWidget::itemDoubleClicked, this, &BookmakerListMenu::BaseBookmakersListBoxDblClick);
    }
    m_doubleClickAttached = hasItems;
}

std::optional<std::string> BookmakerListMenu::selectedKey() const {
    for (int row = 0; row < m_list.count(); ++row) {
        if (m_list.item(row)->isSelected()) return Bytes(m_list.item(row)->text());
    }
    return std::nullopt;
}

void BookmakerListMenu::BaseBookmakersListBoxDblClick() {
    openHomepageOfSelected();
}

void BookmakerListMenu::VisitHomepage1Click() {
    openHomepageOfSelected();
}

void BookmakerListMenu::openHomepageOfSelected() {
    const auto key = selectedKey();
    if (!key) return;
    const AffiliateLinks& directory = m_directory();
    if (!directory.hasHomepage(*key)) return;
    OpenExternally(QUrl(Text(directory.GetLink(*key))), m_boxes, m_list.window());
}

void BookmakerListMenu::BookmakersListBoxPopupMenuPopup() {
    const auto key = selectedKey();
    if (!key) return;
    const AffiliateLinks& directory = m_directory();
    const bool homepage = directory.hasHomepage(*key);
    m_visitHomepage->setText(homepage ? QStringLiteral("Visit ") + Text(*key) + QStringLiteral("Homepage")
                                      : QStringLiteral("Visit Homepage"));
    m_visitHomepage->setEnabled(homepage);
    m_additionalInfo->setText(QStringLiteral("Sportsbook state..."));
    m_additionalInfo->setEnabled(directory.hasStateInfo(*key));
}

void BookmakerListMenu::AdditionalInfo1Click() {
    const auto key = selectedKey();
    if (!key) return;
    const AffiliateLinks& directory = m_directory();
    if (!directory.hasStateInfo(*key)) return;
    m_boxes.tell(m_list.window(), QStringLiteral("Quick info"),
                 Text(AffiliateLinks::quickInfo(directory.GetState(*key))));
}

}  // namespace karvola::ui
