#include "tools/ui/BettingManagerMenuItem.h"

#include <QAction>
#include <QMenu>

#include "common/ui/WindowPlacement.h"
#include "tools/ui/TBettingmanagerForm.h"

namespace karvola::ui {

QAction* AddBettingManagerMenuItem(QMenu& tools, QWidget& mainWindow, MessageBoxes& boxes,
                                   std::function<void()> afterClose) {
    auto* form = new TBettingmanagerForm(boxes, &mainWindow);
    WindowPlacement::Keep(*form, WindowPlacement::FirstShowing::CentredOnParent);
    QAction* item = tools.addAction(QStringLiteral("Betting Manager"));
    item->setObjectName(QStringLiteral("Be1"));
    QObject::connect(item, &QAction::triggered, form, [form, afterClose = std::move(afterClose)] {
        form->Be1Click();
        afterClose();
    });
    return item;
}

}  // namespace karvola::ui
