#pragma once

#include <functional>

#include "common/ui/MessageBoxes.h"

class QAction;
class QMenu;
class QWidget;

namespace karvola::ui {

// Tools > Betting Manager (`Be1`): the item and the window it opens, made once,
// owned by the main window and kept where the user leaves it. After the window
// closes, afterClose runs.
QAction* AddBettingManagerMenuItem(QMenu& tools, QWidget& mainWindow, MessageBoxes& boxes,
                                   std::function<void()> afterClose);

}  // namespace karvola::ui
