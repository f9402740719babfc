#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

class QWidget;

namespace karvola::ui {

// The message boxes the windows show, behind an interface so that tests can
// answer them without a modal loop.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A box with an OK button, for what went wrong.
    virtual void inform(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A box with an OK button, for a plain piece of information.
    virtual void tell(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A box with the given buttons; returns the one pressed.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons) = 0;
};

// A message box wide enough for its whole caption: a short text would make a
// box so narrow that the window manager cuts the caption, and the caption
// often names the faulty field.
[[nodiscard]] std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                                          const QString& caption, const QString& text,
                                                          QMessageBox::StandardButtons buttons);

// The real, modal message boxes.
class QtMessageBoxes final : public MessageBoxes {
public:
    void inform(QWidget* parent, const QString& caption, const QString& text) override;
    void tell(QWidget* parent, const QString& caption, const QString& text) override;
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons) override;
};

}  // namespace karvola::ui
