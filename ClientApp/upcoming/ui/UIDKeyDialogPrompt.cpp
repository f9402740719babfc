#include "upcoming/ui/UIDKeyDialogPrompt.h"

#include <QApplication>

#include "config/ui/TEnterUIDKeyForm.h"

namespace karvola::ui {

bool UIDKeyDialogPrompt::askForKey(MatchConfig&) {
    // The command that asks runs under the hourglass; the user types with the usual pointer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    m_dialog.exec();
    QApplication::restoreOverrideCursor();
    return m_dialog.accepted();
}

}  // namespace karvola::ui
