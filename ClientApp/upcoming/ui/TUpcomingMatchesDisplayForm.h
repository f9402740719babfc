#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "directory/AffiliateLinks.h"
#include "upcoming/UpcomingCommands.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QTreeWidget;

namespace karvola::ui {

// "Upcoming Events for your current research domain": the matches the last
// upcoming command bets on, with the best odds of the selected one, the
// bookmakers offering them and the split of the stake. A match can be hidden
// for the rest of the run. It opens without taking the keyboard from the
// command line and stays above the main window.
class TUpcomingMatchesDisplayForm final : public QWidget, public UpcomingMatchesView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TUpcomingMatchesDisplayForm)

public:
    static constexpr const char* kBookmakersHint = "Click on bookmaker to visit homepage.";
    static constexpr const char* kNoMatches = "( NO MATCHES FOUND )";

    // The directory is asked for each time, since the start-up replaces it.
    TUpcomingMatchesDisplayForm(UpcomingListing& listing, const UpcomingMatchDBMS& model,
                                std::function<const AffiliateLinks&()> directory, QWidget* parent = nullptr);

    void closeAndClear() override;
    void showListing() override;

    void ClearDisplay();
    void FillFromDecisions();
    // Shows the details of the selected row.
    void UpcomingMatchesListViewClick();
    // Shared by the three bookmaker lists: opens the home page of the list's selected bookmaker.
    void BookmakersMaxOdds1ListBoxDblClick(const QListWidget& list);
    void Deletethismatchfromlistdontshowagain1Click();

signals:
    // The listing is on the screen; the keyboard may go back to the command line.
    void listingShown();

private:
    QWidget* buildDetails();
    void buildListView();
    void fitColumns();
    [[nodiscard]] int chromeWidth() const;
    void showBookmakers(QListWidget& list, const std::vector<std::string>& names, bool backed);

    UpcomingListing& m_listing;
    const UpcomingMatchDBMS& m_model;
    std::function<const AffiliateLinks&()> m_directory;

    QLabel* m_teamsLabel = nullptr;
    QLabel* m_dateTimeLabel = nullptr;
    QLabel* m_categoryLabel = nullptr;
    // Home, draw and away, as the columns show them.
    std::array<QLabel*, 3> m_maxOddsLabels{};
    std::array<QListWidget*, 3> m_bookmakerLists{};
    std::array<QLabel*, 3> m_stakeLabels{};
    QTreeWidget* m_upcomingMatchesListView = nullptr;
    QMenu* m_tablePopupMenu = nullptr;
    QAction* m_deleteMatch = nullptr;
};

}  // namespace karvola::ui
