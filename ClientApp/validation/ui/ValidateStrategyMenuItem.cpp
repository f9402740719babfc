#include "validation/ui/ValidateStrategyMenuItem.h"

#include <QAction>
#include <QMenu>

#include "validation/ui/TValidateStrategyForm.h"

namespace karvola::ui {

QAction* AddValidateStrategyMenuItem(QMenu& tools, QWidget& mainWindow, MessageBoxes& boxes,
                                     ValidationCommands& validation, char decimalSeparator,
                                     std::function<void()> afterClose) {
    auto* form = new TValidateStrategyForm(boxes, &mainWindow);
    form->setObjectName(QStringLiteral("ValidateStrategyForm"));
    QAction* item = tools.addAction(QStringLiteral("Validate Strategy..."));
    item->setObjectName(QStringLiteral("ValidateStrategyMenuItem"));
    QObject::connect(item, &QAction::triggered, form,
                     [form, &validation, decimalSeparator, afterClose = std::move(afterClose)] {
                         form->prepare(validation.defaultSpan(), decimalSeparator);
                         if (form->exec() == QDialog::Accepted && form->request()) validation.start(*form->request());
                         afterClose();
                     });
    return item;
}

}  // namespace karvola::ui
