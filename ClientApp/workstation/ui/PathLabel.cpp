#include "workstation/ui/PathLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace karvola::ui {

namespace {

// What the label asks for, whatever it shows: room for a short path.
constexpr int kPreferredCharacters = 28;
constexpr int kMinimumCharacters = 8;

}  // namespace

PathLabel::PathLabel(QWidget* parent) : ClickableLabel(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void PathLabel::setPath(const QString& text, bool isPath) {
    m_path = text;
    setToolTip(isPath ? text : QString());
    showElided();
}

QSize PathLabel::sizeHint() const {
    return {fontMetrics().averageCharWidth() * kPreferredCharacters, QLabel::sizeHint().height()};
}

QSize PathLabel::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * kMinimumCharacters, QLabel::minimumSizeHint().height()};
}

void PathLabel::resizeEvent(QResizeEvent* event) {
    ClickableLabel::resizeEvent(event);
    showElided();
}

void PathLabel::showElided() {
    setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, contentsRect().width()));
}

}  // namespace karvola::ui
