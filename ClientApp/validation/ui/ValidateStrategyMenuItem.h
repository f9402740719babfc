#pragma once

#include <functional>

#include "common/ui/MessageBoxes.h"
#include "validation/ValidationCommands.h"

class QAction;
class QMenu;
class QWidget;

namespace karvola::ui {

// Tools > "Validate Strategy...": the item and its dialog, made once and owned
// by the main window. What the user chooses runs on the optimizer's worker (or,
// for the risk figures, writes to the terminal); afterClose runs after the
// dialog closes.
QAction* AddValidateStrategyMenuItem(QMenu& tools, QWidget& mainWindow, MessageBoxes& boxes,
                                     ValidationCommands& validation, char decimalSeparator,
                                     std::function<void()> afterClose);

}  // namespace karvola::ui
