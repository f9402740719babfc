#include "common/ui/WindowPlacement.h"

#include <QEvent>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <utility>

namespace karvola::ui {

namespace {

// A result window shorter than this is of no use: it then covers the main
// window's upper part down to here at least.
constexpr int kMinimumResultHeight = 200;

// The frame's margins around the contents, as the window manager drew them
// around the parent (a new window has none yet to measure).
QMargins frameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect contents = window.geometry();
    return {contents.left() - frame.left(), contents.top() - frame.top(), frame.right() - contents.right(),
            frame.bottom() - contents.bottom()};
}

}  // namespace

QRect FirstResultFrame(const QSize& frame, const QRect& mainFrame, const QRect& coverable, const QRect& available) {
    const int height = std::min(frame.height(), available.height());
    const int top = std::clamp(mainFrame.top(), available.top(), available.bottom() + 1 - height);
    if (available.right() - mainFrame.right() >= frame.width()) {
        return {QPoint(mainFrame.right() + 1, top), QSize(frame.width(), height)};
    }
    if (mainFrame.left() - available.left() >= frame.width()) {
        return {QPoint(mainFrame.left() - frame.width(), top), QSize(frame.width(), height)};
    }
    const int width = std::min(frame.width(), available.width());
    const int left = std::clamp(mainFrame.right() + 1 - width, available.left(), available.right() + 1 - width);
    const int coverTop = std::max(coverable.top(), available.top());
    const int room = std::max(coverable.bottom() + 1 - coverTop, kMinimumResultHeight);
    return {QPoint(left, coverTop), QSize(width, std::min(frame.height(), room))};
}

WindowPlacement::WindowPlacement(QWidget& window, FirstShowing first, CoverableArea coverable)
    : QObject(&window), m_window(window), m_first(first), m_coverable(std::move(coverable)) {
    window.installEventFilter(this);
    // A dialog would otherwise centre itself by its frame before every showing,
    // from margins the window manager reports only later; this filter places it.
    if (first == FirstShowing::CentredOnParent) window.setAttribute(Qt::WA_Moved);
}

void WindowPlacement::Keep(QWidget& window, FirstShowing first, CoverableArea coverable) {
    new WindowPlacement(window, first, std::move(coverable));  // a child of the window: deleted with it
}

// The show event comes before the window is mapped, so the position set here
// decides where it appears; a spontaneous one is a restore from minimized, not
// a reopening.
bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && !event->spontaneous()) {
        if (event->type() == QEvent::Hide) {
            m_position = m_window.geometry().topLeft();
        } else if (event->type() == QEvent::Show) {
            if (const auto geometry = geometryForShowing()) placeAt(*geometry);
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<QRect> WindowPlacement::geometryForShowing() const {
    if (m_position) return QRect(*m_position, m_window.size());
    const QWidget* parent = m_window.parentWidget();
    if (parent == nullptr) return std::nullopt;
    // The layout has sized the window by now.
    switch (m_first) {
        case FirstShowing::ByWindowManager:
            return std::nullopt;
        case FirstShowing::CentredOnParent:
            return QRect(parent->window()->geometry().center() - QPoint(m_window.width() / 2, m_window.height() / 2),
                         m_window.size());
        case FirstShowing::BesideParent:
            return besideParent(*parent->window());
    }
    return std::nullopt;
}

QRect WindowPlacement::besideParent(const QWidget& parent) const {
    const QMargins margins = frameMargins(parent);
    const QRect parentFrame = parent.frameGeometry();
    const QRect coverable = m_coverable ? m_coverable() : parentFrame;
    const QScreen* screen = parent.screen();
    const QRect available = screen != nullptr ? screen->availableGeometry() : parentFrame.united(coverable);
    const QSize frame = m_window.size().grownBy(margins);
    return FirstResultFrame(frame, parentFrame, coverable, available).marginsRemoved(margins);
}

// The contents' position, to the widget and to its native window alike. Qt may
// give a reopened window a new native window, which the window manager would
// place anew unless told where; and the widget skips a position it believes it
// already has.
void WindowPlacement::placeAt(const QRect& geometry) {
    m_window.setGeometry(geometry);
    if (QWindow* native = m_window.windowHandle()) native->setPosition(geometry.topLeft());
}

}  // namespace karvola::ui
