// karvola: the Karvola desktop application.
#include <QApplication>
#include <QScreen>
#include <csignal>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "config/ApplicationDirectory.h"
#include "options/CommandLine.h"
#include "terminal/ui/TForm1.h"
#include "web/CurlHttpClient.h"

int main(int argc, char** argv) {
    // A write beyond the file size limit must fail like any other write error.
    std::signal(SIGXFSZ, SIG_IGN);
    // First, so that Qt takes its own options (-platform, -style, ...) out of argv.
    QApplication application(argc, argv);
    // The title X11 shows; a display name would add " - Karvola" to every window title.
    QApplication::setApplicationName(QStringLiteral("Karvola"));

    karvola::options::CommandLine commandLine("karvola", "Karvola, the professional odds analysis system.");
    if (const auto early = commandLine.parse(std::vector<std::string>(argv + 1, argv + argc))) {
        return early->deliver();
    }
    const karvola::ui::MainWindowSettings settings{.applicationDirectory = commandLine.common().applicationDirectory(),
                                                   .dataBase = commandLine.common().dataBaseFile(),
                                                   .decimalSeparator = karvola::UserDecimalSeparator(),
                                                   .service = commandLine.common().serviceHost()};
    karvola::EnsureApplicationLayout(settings.applicationDirectory);

    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::ui::QtMessageBoxes boxes;
    karvola::CurlHttpClient http;
    karvola::ui::TForm1 window(settings, {.files = files, .clock = clock, .boxes = boxes, .http = http});
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}
