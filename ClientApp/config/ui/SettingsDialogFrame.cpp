#include "config/ui/SettingsDialogFrame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "terminal/ui/DialogButtons.h"

namespace karvola::ui {

namespace {

// Light text on black; edits and lists keep their own light field so typed text stays readable.
QPalette BlackPalette(QPalette palette) {
    const QColor black(Qt::black);
    const QColor silver(0xC0, 0xC0, 0xC0);
    palette.setColor(QPalette::Window, black);
    palette.setColor(QPalette::WindowText, silver);
    palette.setColor(QPalette::Button, black);
    palette.setColor(QPalette::ButtonText, silver);
    return palette;
}

QPushButton* FlatButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setFlat(true);
    return button;
}

}  // namespace

SettingsDialogFrame::SettingsDialogFrame(QDialog& dialog, const QString& caption, const QString& tabCaption) {
    // A parented dialog is centred on its parent when shown; Qt::Tool keeps it a small tool window.
    dialog.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(caption);
    dialog.setModal(true);
    dialog.setPalette(BlackPalette(dialog.palette()));

    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    m_page = new QWidget(tabs);
    tabs->addTab(m_page, tabCaption);
    layout->addWidget(tabs);

    m_ok = FlatButton(QStringLiteral("[   OK   ]"), &dialog);
    m_cancel = FlatButton(QStringLiteral("[  Cancel  ]"), &dialog);
    layout->addLayout(ButtonRow({m_ok, m_cancel}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace karvola::ui
