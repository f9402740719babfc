#pragma once

#include <QObject>
#include <functional>

#include "directory/AffiliateLinks.h"

class QAction;
class QListWidget;
class QMenu;

namespace karvola::ui {

class MessageBoxes;

// What the main window's bookmaker list offers from the bookmaker directory: a
// double-click opens the bookmaker's home page, the pop-up menu offers the visit
// and a short note on its state. Every action takes the first selected item,
// its text exactly as shown, and does nothing without one.
class BookmakerListMenu final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BookmakerListMenu)

public:
    static constexpr const char* kHint = "Click on selected bookmaker to visit home page. Right click for more info.";

    // The directory is asked for each time, since the start-up replaces it.
    BookmakerListMenu(QListWidget& list, std::function<const AffiliateLinks&()> directory, MessageBoxes& boxes,
                      QObject* parent = nullptr);

    // After the list's items changed: the hint and the double-click only while it has items.
    void listChanged();

    void BaseBookmakersListBoxDblClick();
    void BookmakersListBoxPopupMenuPopup();
    void VisitHomepage1Click();
    void AdditionalInfo1Click();

    [[nodiscard]] QMenu* popupMenu() const { return m_popupMenu; }
    [[nodiscard]] QAction* visitHomepage() const { return m_visitHomepage; }
    [[nodiscard]] QAction* additionalInfo() const { return m_additionalInfo; }

private:
    // The first selected item's text, or nothing.
    [[nodiscard]] std::optional<std::string> selectedKey() const;
    void openHomepageOfSelected();

    QListWidget& m_list;
    std::function<const AffiliateLinks&()> m_directory;
    MessageBoxes& m_boxes;
    QMenu* m_popupMenu = nullptr;
    QAction* m_visitHomepage = nullptr;
    QAction* m_additionalInfo = nullptr;
    bool m_doubleClickAttached = false;
};

}  // namespace karvola::ui
