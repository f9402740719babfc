#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace karvola::ui {

// The message boxes the windows show, behind an interface so that tests can
// answer them without a modal loop.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A box with an OK button.
    virtual void inform(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A box with the given buttons; returns the one pressed.
    virtual QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons) = 0;
};

// The real, modal message boxes.
class QtMessageBoxes final : public MessageBoxes {
public:
    void inform(QWidget* parent, const QString& caption, const QString& text) override {
        QMessageBox::warning(parent, caption, text);
    }
    QMessageBox::StandardButton ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons) override {
        return QMessageBox::question(parent, caption, text, buttons);
    }
};

}  // namespace karvola::ui
