// karvola: the Karvola desktop application.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "config/ApplicationDirectory.h"
#include "config/FirstStart.h"
#include "options/DisplayCheck.h"
#include "options/WindowCommandLine.h"
#include "web/CurlHttpClient.h"
#include "workstation/ui/TForm1.h"

namespace {

// The icon compiled into the program, so that its windows have it when it is not
// installed; the installed theme's copy is preferred where there is one.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/karvola.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("karvola"), icon);
}

}  // namespace

int main(int argc, char** argv) {
    // A write beyond the file size limit must fail like any other write error.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // The help and the version need no display: answered before Qt opens one. Qt's
    // own options (-platform, -style, ...) fail this parse; they are read below.
    if (const auto early = karvola::options::WindowCommandLine().parse(arguments); early && early->status == 0) {
        return early->deliver();
    }
    // Qt would abort without a display, whatever the options.
    if (const auto missing =
            karvola::options::MissingDisplay(arguments, karvola::options::DisplayEnvironment::Current())) {
        return missing->deliver();
    }
    // Before the program's own parse, so that Qt takes its options out of argv.
    QApplication application(argc, argv);
    // The title X11 shows; a display name would add " - Karvola" to every window title.
    QApplication::setApplicationName(QStringLiteral("Karvola"));
    // Ties the windows to karvola.desktop, whose icon and name the desktop shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("karvola"));
    QApplication::setWindowIcon(ProgramIcon());

    auto commandLine = karvola::options::WindowCommandLine();
    if (const auto early = commandLine.parse(std::vector<std::string>(argv + 1, argv + argc))) {
        return early->deliver();
    }
    const karvola::ui::MainWindowSettings settings{.applicationDirectory = commandLine.common().applicationDirectory(),
                                                   .dataBase = commandLine.common().dataBaseFile(),
                                                   .decimalSeparator = karvola::UserDecimalSeparator(),
                                                   .service = commandLine.common().serviceHost()};
    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    try {
        karvola::EnsureApplicationLayout(settings.applicationDirectory);
        for (const auto& problem : karvola::SeedFirstStart(settings.applicationDirectory, files, clock)) {
            std::fprintf(stderr, "karvola: %s\n", problem.c_str());
        }
    } catch (const std::exception& error) {
        // Without its folder the program could keep nothing the user does.
        const std::string text =
            "Cannot use the application directory " + settings.applicationDirectory.string() + ":\n" + error.what();
        std::fprintf(stderr, "karvola: %s\n", text.c_str());
        QMessageBox::critical(nullptr, QStringLiteral("Karvola"), QString::fromStdString(text));
        return karvola::options::kWrongOptions;
    }

    karvola::ui::QtMessageBoxes boxes;
    karvola::CurlHttpClient http;
    karvola::ui::TForm1 window(settings, {.files = files, .clock = clock, .boxes = boxes, .http = http});
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}
