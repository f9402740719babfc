#pragma once

#include <QString>

#include "common/ui/ClickableLabel.h"

namespace karvola::ui {

// The data base's file name in the General group. A path longer than the label
// is shortened in the middle with "…" (both ends tell most: the folder it
// starts in and the file's name) and shown whole in the tooltip. The label's
// width never follows its text, so a new path does not move the columns.
class PathLabel final : public ClickableLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PathLabel)

public:
    explicit PathLabel(QWidget* parent = nullptr);

    // The whole text; the tooltip too when it is a path rather than a notice.
    void setPath(const QString& text, bool isPath);
    [[nodiscard]] const QString& path() const { return m_path; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showElided();

    QString m_path;
};

}  // namespace karvola::ui
