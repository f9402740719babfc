#pragma once

#include <QWidget>
#include <vector>

#include "database/ResearchDomainCommands.h"

class QTreeWidget;

namespace karvola::ui {

// A stay-on-top list of matches ("No.", "Date", "Category", "Teams", "1", "X",
// "2", "Result"); its caption is set by whoever fills it. Closing empties it.
class TDataPreviewForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDataPreviewForm)

public:
    explicit TDataPreviewForm(QWidget* parent = nullptr);

    void showRows(const std::vector<PreviewRow>& rows);
    [[nodiscard]] QTreeWidget* listView() const { return m_listView; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTreeWidget* m_listView = nullptr;
};

}  // namespace karvola::ui
