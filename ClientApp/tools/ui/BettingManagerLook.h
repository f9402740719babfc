#pragma once

#include <QDialog>
#include <QString>

#include "common/ui/KarvolaLook.h"

namespace karvola::ui {

// The program's dialog look, with a frame round each button: the betting
// manager's captions ("Add Item", "Start") carry no brackets to show that they
// can be pressed.
inline void ApplyBettingManagerLook(QDialog& dialog) {
    look::ApplyDialogLook(dialog);
    dialog.setStyleSheet(dialog.styleSheet() +
                         QStringLiteral("QPushButton { border: 1px solid #5a5a5a; padding: 4px 12px; }"));
}

}  // namespace karvola::ui
