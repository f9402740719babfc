#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <initializer_list>

class QDialog;
class QPushButton;
class QWidget;

namespace karvola::ui {

// The program's look: silver text on black, like its terminal. Style sheets
// rather than palettes, because a style sheet on any ancestor makes Qt draw
// the descendants' buttons from style sheets and ignore their palettes.
namespace look {

inline const QColor kBackground{Qt::black};
inline const QColor kText{0xC0, 0xC0, 0xC0};  // silver
inline const QColor kHighlight{Qt::white};

// Courier New where it is installed, else the Liberation Mono that the program
// carries (the same metrics), so the terminal's columns are the same everywhere.
[[nodiscard]] QFont TerminalFont();

// The main window's central page: black, silver captions, flat buttons.
[[nodiscard]] QString MainPageStyleSheet();
// The terminal screen and its scroll bar.
[[nodiscard]] QString TerminalStyleSheet();

// Gives a dialog the program's look: black background, silver captions, flat
// buttons that stay readable and show where the keyboard focus is. Edits and
// lists keep their light fields so typed text reads as usual.
void ApplyDialogLook(QDialog& dialog);

// Moves the buttons, in the order given, to the end of the dialog's tab order,
// so that Tab runs through the fields first.
void PutLastInTabOrder(QWidget& dialog, std::initializer_list<QPushButton*> buttons);

}  // namespace look

}  // namespace karvola::ui
