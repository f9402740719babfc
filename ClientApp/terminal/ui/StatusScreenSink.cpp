#include "terminal/ui/StatusScreenSink.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace karvola::ui {

namespace {

// Data base texts are 8-bit; the screen shows them as Latin-1.
QString FromTerminalText(std::string_view line) {
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

}  // namespace

void StatusScreenSink::appendLine(std::string_view line) {
    const QString text = FromTerminalText(line);
    if (QThread::currentThread() == m_screen.thread()) {
        m_screen.appendPlainText(text);
        return;
    }
    QMetaObject::invokeMethod(&m_screen, [screen = &m_screen, text] { screen->appendPlainText(text); },
                              Qt::QueuedConnection);
}

void StatusScreenSink::clearScreen() {
    QMetaObject::invokeMethod(&m_screen, [screen = &m_screen] { screen->clear(); }, Qt::AutoConnection);
}

void StatusScreenSink::repaint() {
    if (QThread::currentThread() == m_screen.thread()) m_screen.repaint();
}

}  // namespace karvola::ui
