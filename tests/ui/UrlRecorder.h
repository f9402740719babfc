#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace karvola::testing {

// Records the addresses the desktop was asked to open (install it with
// QDesktopServices::setUrlHandler(scheme, &recorder, "open")).
class UrlRecorder final : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

}  // namespace karvola::testing
