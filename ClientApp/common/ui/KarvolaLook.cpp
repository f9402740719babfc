#include "common/ui/KarvolaLook.h"

#include <QDialog>
#include <QFontDatabase>
#include <QPushButton>
#include <QStringList>
#include <algorithm>

namespace karvola::ui::look {

namespace {

// Large enough to read, small enough that the banner's 87 columns fit beside
// the General group at the window's default size.
constexpr int kTerminalPointSize = 9;

QString BundledTerminalFamily() {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/TerminalFont.ttf"));
    const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QStringLiteral("Liberation Mono") : families.constFirst();
}

}  // namespace

QFont TerminalFont() {
    // Registered once per run; the family name never changes afterwards.
    static const QString bundled = BundledTerminalFamily();
    const QString courier = QStringLiteral("Courier New");
    QFont font(QFontDatabase::families().contains(courier) ? courier : bundled);
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(kTerminalPointSize);
    return font;
}

QString MainPageStyleSheet() {
    return QStringLiteral(
        "QTabWidget::pane { border: 1px solid #404040; background: black; top: -1px; }"
        "QTabBar::tab { background: black; color: silver; border: 1px solid #404040; border-bottom: none;"
        "  padding: 3px 14px; }"
        "QWidget#MainPage { background: black; }"
        "QGroupBox, QLabel { color: silver; }"
        "QPushButton { color: silver; background: black; border: none; padding: 2px 6px; }"
        "QPushButton:hover { color: white; }"
        "QPushButton:pressed { color: black; background: silver; }");
}

QString TerminalStyleSheet() {
    return QStringLiteral(
        "QPlainTextEdit { background: black; color: silver; border: 1px solid #404040;"
        "  selection-background-color: silver; selection-color: black; }"
        "QScrollBar:vertical { background: #1c1c1c; width: 14px; margin: 0; border: none; }"
        "QScrollBar::handle:vertical { background: #707070; min-height: 28px; margin: 2px; border-radius: 4px; }"
        "QScrollBar::handle:vertical:hover { background: silver; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; border: none; background: none; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
}

void ApplyDialogLook(QDialog& dialog) {
    dialog.setStyleSheet(QStringLiteral(
        "QDialog { background: black; }"
        "QLabel, QCheckBox, QRadioButton { color: silver; }"
        "QLabel:disabled, QCheckBox:disabled { color: #707070; }"
        // A styled indicator loses the style's own tick: a ticked box is a silver
        // square with a black tick, so that it cannot pass for a disabled one.
        "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid silver; background: black; }"
        "QCheckBox::indicator:checked { background: silver; image: url(:/look/tick.png); }"
        "QCheckBox::indicator:focus, QCheckBox::indicator:hover { border-color: white; }"
        "QCheckBox::indicator:disabled { border-color: #707070; }"
        "QCheckBox::indicator:checked:disabled { background: #707070; }"
        "QGroupBox { color: silver; border: 1px solid #5a5a5a; border-radius: 3px; margin-top: 2ex;"
        "  padding-top: 1ex; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 4px; }"
        "QTabWidget::pane { border: 1px solid #5a5a5a; background: black; top: -1px; }"
        "QTabBar::tab { background: black; color: white; border: 1px solid #5a5a5a; border-bottom: none;"
        "  padding: 4px 14px; }"
        "QListWidget, QTreeWidget, QPlainTextEdit { background: white; color: black; }"
        "QPushButton { color: silver; background: black; border: 1px solid transparent; padding: 4px 8px; }"
        "QPushButton:hover { color: white; }"
        "QPushButton:focus { color: white; border: 1px dotted silver; }"
        "QPushButton:pressed { color: black; background: silver; }"
        "QPushButton:disabled { color: #707070; }"));
}

void PutLastInTabOrder(QWidget& dialog, std::initializer_list<QPushButton*> buttons) {
    const auto isButton = [&buttons](const QWidget* widget) {
        return std::find(buttons.begin(), buttons.end(), widget) != buttons.end();
    };
    QWidget* last = nullptr;
    for (QWidget* widget = dialog.nextInFocusChain(); widget != &dialog; widget = widget->nextInFocusChain()) {
        if (!isButton(widget) && (widget->focusPolicy() & Qt::TabFocus) != 0) last = widget;
    }
    for (QPushButton* button : buttons) {
        if (last != nullptr) QWidget::setTabOrder(last, button);
        last = button;
    }
}

}  // namespace karvola::ui::look
