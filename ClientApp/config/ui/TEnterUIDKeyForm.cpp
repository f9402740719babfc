#include "config/ui/TEnterUIDKeyForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/ui/QtText.h"
#include "config/ui/SettingsDialogFrame.h"

namespace karvola::ui {

namespace {

// Room for a key as the service hands them out without scrolling the edit.
constexpr int kEditWidth = 260;

}  // namespace

TEnterUIDKeyForm::TEnterUIDKeyForm(MatchConfig& config, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), m_config(config), m_boxes(boxes) {
    const SettingsDialogFrame frame(*this, QStringLiteral("Unique Indentity Key..."));
    QWidget* page = frame.page();

    auto* prompt = new QLabel(QStringLiteral("Please enter Unique Indentity Key:"), page);
    m_uidEdit = new QLineEdit(page);
    m_uidEdit->setObjectName(QStringLiteral("UIDEdit"));
    m_uidEdit->setMinimumWidth(kEditWidth);
    m_uidEdit->installEventFilter(this);
    prompt->setBuddy(m_uidEdit);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(prompt);
    layout->addWidget(m_uidEdit);

    QPushButton* ok = frame.okButton();
    QPushButton* cancel = frame.cancelButton();
    ok->setObjectName(QStringLiteral("OKSpeedButton"));
    cancel->setObjectName(QStringLiteral("CancelSpeedButton"));
    // Enter belongs to the edit, which takes it as OK; no button answers it twice.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &TEnterUIDKeyForm::OKSpeedButtonClick);
    connect(cancel, &QPushButton::clicked, this, &TEnterUIDKeyForm::CancelSpeedButtonClick);
    frame.finishTabOrder(*this);
}

void TEnterUIDKeyForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TEnterUIDKeyForm::FormShow() {
    m_uidEdit->clear();
    m_uidEdit->setFocus(Qt::OtherFocusReason);
    m_accepted = false;
}

void TEnterUIDKeyForm::OKSpeedButtonClick() {
    if (m_uidEdit->text().isEmpty()) {
        m_boxes.inform(this, QStringLiteral("Error"), QStringLiteral("Invalid Unique Indentity Key."));
        m_uidEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_accepted = true;
    m_config.SetUIDKey(Bytes(m_uidEdit->text()));
    accept();
}

void TEnterUIDKeyForm::CancelSpeedButtonClick() {
    m_accepted = false;
    reject();
}

bool TEnterUIDKeyForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_uidEdit && event->type() == QEvent::KeyPress) {
        if (UIDEditKeyPress(static_cast<const QKeyEvent&>(*event))) return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Enter is swallowed and acts as OK.
bool TEnterUIDKeyForm::UIDEditKeyPress(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) return false;
    OKSpeedButtonClick();
    return true;
}

}  // namespace karvola::ui
