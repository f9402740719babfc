#include "terminal/ui/StatusScreenSink.h"

#include <QCoreApplication>
#include <QThread>

#include "common/ui/QtText.h"

namespace karvola::ui {

void StatusScreenSink::appendLine(std::string_view line) {
    const QString text = Text(line);
    if (QThread::currentThread() == m_screen.thread()) {
        m_screen.appendPlainText(text);
        return;
    }
    m_queuedCalls->post([screen = &m_screen, text] { screen->appendPlainText(text); });
}

void StatusScreenSink::clearScreen() {
    if (QThread::currentThread() == m_screen.thread()) {
        m_screen.clear();
        return;
    }
    m_queuedCalls->post([screen = &m_screen] { screen->clear(); });
}

void StatusScreenSink::repaint() {
    if (QThread::currentThread() == m_screen.thread()) m_screen.repaint();
}

}  // namespace karvola::ui
