#include "common/ui/OpenExternally.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "common/ui/MessageBoxes.h"

namespace karvola::ui {

void OpenExternally(const QUrl& url, MessageBoxes& boxes, QWidget* parent) {
    const QString shown = url.isLocalFile() ? url.toLocalFile() : url.toString();
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        boxes.inform(parent, QStringLiteral("Error"), QStringLiteral("'%1' is not there.").arg(shown));
        return;
    }
    if (QDesktopServices::openUrl(url)) return;
    const QString what = url.isLocalFile() ? QStringLiteral("viewer") : QStringLiteral("web browser");
    boxes.inform(parent, QStringLiteral("Error"),
                 QStringLiteral("No %1 could be started to open '%2'. Please open it yourself.").arg(what, shown));
}

}  // namespace karvola::ui
