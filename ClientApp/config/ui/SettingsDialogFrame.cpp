#include "config/ui/SettingsDialogFrame.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/ui/DialogButtons.h"
#include "common/ui/KarvolaLook.h"

namespace karvola::ui {

namespace {

QPushButton* FlatButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setFlat(true);
    return button;
}

}  // namespace

SettingsDialogFrame::SettingsDialogFrame(QDialog& dialog, const QString& caption, const QString& tabCaption) {
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget(&dialog);
    m_page = new QWidget(tabs);
    tabs->addTab(m_page, tabCaption);
    tabs->tabBar()->setFocusPolicy(Qt::NoFocus);  // one page: nothing to switch to
    layout->addWidget(tabs);
    finishFrame(dialog, caption, *layout);
}

SettingsDialogFrame::SettingsDialogFrame(QDialog& dialog, const QString& caption) {
    auto* layout = new QVBoxLayout(&dialog);
    m_page = new QWidget(&dialog);
    layout->addWidget(m_page);
    finishFrame(dialog, caption, *layout);
}

void SettingsDialogFrame::finishFrame(QDialog& dialog, const QString& caption, QVBoxLayout& layout) {
    // A parented dialog is centred on its parent when shown; Qt::Tool keeps it a small tool window.
    dialog.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(caption);
    dialog.setModal(true);
    look::ApplyDialogLook(dialog);

    m_ok = FlatButton(QStringLiteral("[   OK   ]"), &dialog);
    m_cancel = FlatButton(QStringLiteral("[  Cancel  ]"), &dialog);
    layout.addLayout(ButtonRow({m_ok, m_cancel}));
    layout.setSizeConstraint(QLayout::SetFixedSize);
}

void SettingsDialogFrame::finishTabOrder(QDialog& dialog) const {
    look::PutLastInTabOrder(dialog, {m_ok, m_cancel});
}

}  // namespace karvola::ui
