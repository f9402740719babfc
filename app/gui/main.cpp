// karvola: the Karvola desktop application.
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <csignal>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "terminal/ui/MainWindowOptions.h"
#include "terminal/ui/TForm1.h"

int main(int argc, char** argv) {
    // A write beyond the file size limit must fail like any other write error.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    // The title X11 shows; a display name would add " - Karvola" to every window title.
    QApplication::setApplicationName(QStringLiteral("Karvola"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Karvola, the professional odds analysis system"));
    parser.addHelpOption();
    const karvola::ui::MainWindowOptions options(parser);
    parser.process(application);
    const karvola::ui::MainWindowSettings settings = options.settings(parser);

    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::ui::QtMessageBoxes boxes;
    karvola::ui::TForm1 window(settings, files, clock, boxes);
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}
