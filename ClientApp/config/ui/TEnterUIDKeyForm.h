#pragma once

#include <QDialog>

#include "common/ui/MessageBoxes.h"
#include "config/MatchConfig.h"

class QKeyEvent;
class QLineEdit;

namespace karvola::ui {

// Asks for the identity key the web service knows the user by, when a download
// needs one and none is configured. OK stores a non-empty key; accepted() tells
// the caller whether it did.
class TEnterUIDKeyForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TEnterUIDKeyForm)

public:
    TEnterUIDKeyForm(MatchConfig& config, MessageBoxes& boxes, QWidget* parent = nullptr);

    [[nodiscard]] bool accepted() const { return m_accepted; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void OKSpeedButtonClick();
    void CancelSpeedButtonClick();
    bool UIDEditKeyPress(const QKeyEvent& key);

    MatchConfig& m_config;
    MessageBoxes& m_boxes;
    QLineEdit* m_uidEdit = nullptr;
    bool m_accepted = false;
};

}  // namespace karvola::ui
