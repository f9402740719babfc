#include "terminal/ui/StatusScreenSink.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "common/ui/QtText.h"

namespace karvola::ui {

void StatusScreenSink::appendLine(std::string_view line) {
    const QString text = Text(line);
    if (QThread::currentThread() == m_screen.thread()) {
        m_screen.appendPlainText(text);
        return;
    }
    QMetaObject::invokeMethod(
        &m_screen, [screen = &m_screen, text] { screen->appendPlainText(text); }, Qt::QueuedConnection);
}

void StatusScreenSink::clearScreen() {
    QMetaObject::invokeMethod(
        &m_screen, [screen = &m_screen] { screen->clear(); }, Qt::AutoConnection);
}

void StatusScreenSink::repaint() {
    if (QThread::currentThread() == m_screen.thread()) m_screen.repaint();
}

}  // namespace karvola::ui
