#include "terminal/ui/TerminalScreen.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QScrollBar>

#include "common/ui/KarvolaLook.h"

namespace karvola::ui {

TerminalScreen::TerminalScreen(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setFont(look::TerminalFont());
    setStyleSheet(look::TerminalStyleSheet());
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);  // the width of a line never depends on the line count
    // Only what the user does moves the view away from the end: actions cover
    // the wheel, the arrows, paging and dragging the handle.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TerminalScreen::userScrolled);
    // Appending, resizing and re-wrapping all change the range.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) { rangeChanged(maximum); });
}

void TerminalScreen::followOutput() {
    m_following = true;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QSize TerminalScreen::sizeHint() const {
    const QFontMetrics metrics(font());
    const int margins = 2 * (frameWidth() + static_cast<int>(document()->documentMargin()) + 1);
    return {metrics.horizontalAdvance(QString(kColumns, QLatin1Char('M'))) + margins +
                verticalScrollBar()->sizeHint().width(),
            metrics.lineSpacing() * kRows + margins};
}

void TerminalScreen::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->accept();
        emit printableKeyPressed();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// The slider has already moved when the action is reported; its value not yet.
void TerminalScreen::userScrolled() {
    const QScrollBar* bar = verticalScrollBar();
    m_following = bar->sliderPosition() >= bar->maximum();
}

void TerminalScreen::rangeChanged(int maximum) {
    // With nothing to scroll there is nothing the user could be reading above.
    if (maximum == 0) m_following = true;
    if (m_following) verticalScrollBar()->setValue(maximum);
}

}  // namespace karvola::ui
