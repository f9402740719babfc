#include "tools/ui/TAddEventForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/ui/DialogButtons.h"
#include "common/ui/QtText.h"
#include "tools/BettingManagerInput.h"
#include "tools/ui/BettingManagerLook.h"

namespace karvola::ui {

namespace {

// Room for a match's two team names.
constexpr int kEventWidth = 240;

}  // namespace

TAddEventForm::TAddEventForm(MessageBoxes& boxes, QWidget* parent) : QDialog(parent), m_boxes(boxes) {
    setWindowTitle(QStringLiteral("Add Event"));
    setModal(true);
    ApplyBettingManagerLook(*this);

    m_eventEdit = new QLineEdit(this);
    m_eventEdit->setObjectName(QStringLiteral("EventEdit"));
    m_eventEdit->setMinimumWidth(kEventWidth);
    m_courseEdit = new QLineEdit(this);
    m_courseEdit->setObjectName(QStringLiteral("CourseEdit"));
    auto* eventLabel = new QLabel(QStringLiteral("&Event:"), this);
    eventLabel->setBuddy(m_eventEdit);
    auto* courseLabel = new QLabel(QStringLiteral("&Odds:"), this);
    courseLabel->setBuddy(m_courseEdit);

    auto* add = new QPushButton(QStringLiteral("Add"), this);
    add->setObjectName(QStringLiteral("AddButton"));
    // Enter in either edit adds the bet, so bets can be typed one after another.
    add->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    connect(add, &QPushButton::clicked, this, &TAddEventForm::AddButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* fields = new QGridLayout;
    fields->addWidget(eventLabel, 0, 0);
    fields->addWidget(m_eventEdit, 0, 1);
    fields->addWidget(courseLabel, 1, 0);
    fields->addWidget(m_courseEdit, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(ButtonRow({add, close}));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAddEventForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) m_eventEdit->setFocus(Qt::OtherFocusReason);
}

void TAddEventForm::AddButtonClick() {
    if (!ReadBettingNumber(Bytes(m_courseEdit->text()))) {
        m_boxes.inform(this, QStringLiteral("Error"), Text(kInvalidCourse));
        m_courseEdit->setFocus(Qt::OtherFocusReason);
        return;
    }
    emit eventAdded(m_eventEdit->text(), m_courseEdit->text());
    m_eventEdit->clear();
    m_courseEdit->clear();
    m_eventEdit->setFocus(Qt::OtherFocusReason);
}

}  // namespace karvola::ui
