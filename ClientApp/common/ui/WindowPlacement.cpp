#include "common/ui/WindowPlacement.h"

#include <QEvent>
#include <QWidget>

namespace karvola::ui {

WindowPlacement::WindowPlacement(QWidget& window) : QObject(&window), m_window(window) {
    window.installEventFilter(this);
}

void WindowPlacement::Keep(QWidget& window) {
    new WindowPlacement(window);  // a child of the window: deleted with it
}

// The show event comes before the window is mapped, so a move here decides
// where it appears; a spontaneous one is a restore from minimized, not a reopening.
bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && !event->spontaneous()) {
        if (event->type() == QEvent::Hide) {
            m_position = m_window.pos();
        } else if (event->type() == QEvent::Show && m_position) {
            m_window.move(*m_position);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace karvola::ui
