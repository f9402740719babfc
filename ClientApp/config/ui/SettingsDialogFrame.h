#pragma once

#include <QString>

class QDialog;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace karvola::ui {

// The frame the settings dialogs share: a black tool window, centred on its
// parent, with one tab (or a plain page) above the flat "[   OK   ]" and
// "[  Cancel  ]" buttons.
// The widgets belong to the dialog; the frame only hands them out. Once the
// page is filled, finishTabOrder puts the buttons after the fields.
class SettingsDialogFrame final {
public:
    SettingsDialogFrame(QDialog& dialog, const QString& caption, const QString& tabCaption);
    // Without a tab: a dialog of one question has nothing to group.
    SettingsDialogFrame(QDialog& dialog, const QString& caption);

    // The page (the tab's, where there is one) for the dialog's own controls.
    [[nodiscard]] QWidget* page() const { return m_page; }
    [[nodiscard]] QPushButton* okButton() const { return m_ok; }
    [[nodiscard]] QPushButton* cancelButton() const { return m_cancel; }
    void finishTabOrder(QDialog& dialog) const;

private:
    void finishFrame(QDialog& dialog, const QString& caption, QVBoxLayout& layout);

    QWidget* m_page = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace karvola::ui
