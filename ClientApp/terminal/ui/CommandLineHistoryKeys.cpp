#include "terminal/ui/CommandLineHistoryKeys.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace karvola::ui {

CommandLineHistoryKeys::CommandLineHistoryKeys(QComboBox& commandLine)
    : QObject(&commandLine), m_commandLine(commandLine) {
    commandLine.installEventFilter(this);
    if (QLineEdit* edit = commandLine.lineEdit()) edit->installEventFilter(this);
    // A new command, or the history cleared: the next Up starts from the newest again.
    const auto restart = [this] { m_shown = -1; };
    connect(commandLine.model(), &QAbstractItemModel::rowsInserted, this, restart);
    connect(commandLine.model(), &QAbstractItemModel::modelReset, this, restart);
    connect(commandLine.model(), &QAbstractItemModel::rowsRemoved, this, restart);
}

void CommandLineHistoryKeys::Attach(QComboBox& commandLine) {
    new CommandLineHistoryKeys(commandLine);  // a child of the combo box: deleted with it
}

// The combo box would step through its items oldest first from the current one.
bool CommandLineHistoryKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !m_commandLine.view()->isVisible()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Up) {
                step(+1);
                return true;
            }
            if (key->key() == Qt::Key_Down) {
                step(-1);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// `by` commands further back in time (negative: forward).
void CommandLineHistoryKeys::step(int by) {
    const int count = m_commandLine.count();
    // Counted from the newest: 0 is the last command, count - 1 the first.
    const int back = m_shown < 0 ? -1 : count - 1 - m_shown;
    const int wanted = std::clamp(back + by, -1, count - 1);
    if (wanted == back) return;
    if (m_shown < 0) m_typed = m_commandLine.currentText();
    m_shown = wanted < 0 ? -1 : count - 1 - wanted;
    const QString text = m_shown < 0 ? m_typed : m_commandLine.itemText(m_shown);
    // The edit text alone: the combo box's current item would move its own walk.
    m_commandLine.setEditText(text);
    if (QLineEdit* edit = m_commandLine.lineEdit()) edit->setCursorPosition(static_cast<int>(text.size()));
}

}  // namespace karvola::ui
