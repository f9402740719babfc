#include "common/ui/WindowPlacement.h"

#include <QEvent>
#include <QRect>
#include <QWidget>
#include <QWindow>

namespace karvola::ui {

WindowPlacement::WindowPlacement(QWidget& window, FirstShowing first)
    : QObject(&window), m_window(window), m_first(first) {
    window.installEventFilter(this);
    // A dialog would otherwise centre itself by its frame before every showing,
    // from margins the window manager reports only later; this filter places it.
    if (first == FirstShowing::CentredOnParent) window.setAttribute(Qt::WA_Moved);
}

void WindowPlacement::Keep(QWidget& window, FirstShowing first) {
    new WindowPlacement(window, first);  // a child of the window: deleted with it
}

// The show event comes before the window is mapped, so the position set here
// decides where it appears; a spontaneous one is a restore from minimized, not
// a reopening.
bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && !event->spontaneous()) {
        if (event->type() == QEvent::Hide) {
            m_position = m_window.geometry().topLeft();
        } else if (event->type() == QEvent::Show) {
            if (const auto position = positionForShowing()) placeAt(*position);
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<QPoint> WindowPlacement::positionForShowing() const {
    if (m_position) return m_position;
    const QWidget* parent = m_window.parentWidget();
    if (m_first != FirstShowing::CentredOnParent || parent == nullptr) return std::nullopt;
    // The layout has sized the window by now.
    return parent->window()->geometry().center() - QPoint(m_window.width() / 2, m_window.height() / 2);
}

// The contents' position, to the widget and to its native window alike. Qt may
// give a reopened window a new native window, which the window manager would
// place anew unless told where; and the widget skips a position it believes it
// already has.
void WindowPlacement::placeAt(const QPoint& position) {
    m_window.setGeometry(QRect(position, m_window.size()));
    if (QWindow* native = m_window.windowHandle()) native->setPosition(position);
}

}  // namespace karvola::ui
