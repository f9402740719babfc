#include "common/ui/MessageBoxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace karvola::ui {

namespace {

// What a title bar spends besides the caption: the window icon and the
// minimize, maximize and close buttons, with the frame's padding.
constexpr int kTitleBarDecorations = 150;

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
    // Title bars draw their caption in bold.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarDecorations;
    // The box sizes itself to its layout's minimum, so the room goes into the layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box;
}

void QtMessageBoxes::inform(QWidget* parent, const QString& caption, const QString& text) {
    MakeMessageBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Ok)->exec();
}

void QtMessageBoxes::tell(QWidget* parent, const QString& caption, const QString& text) {
    MakeMessageBox(parent, QMessageBox::Information, caption, text, QMessageBox::Ok)->exec();
}

QMessageBox::StandardButton QtMessageBoxes::ask(QWidget* parent, const QString& caption, const QString& text,
                                                QMessageBox::StandardButtons buttons) {
    return static_cast<QMessageBox::StandardButton>(
        MakeMessageBox(parent, QMessageBox::Question, caption, text, buttons)->exec());
}

}  // namespace karvola::ui
