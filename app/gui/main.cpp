// karvola: the Karvola desktop application.
#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <csignal>
#include <optional>
#include <string>

#include "config/ApplicationDirectory.h"
#include "config/Clock.h"
#include "config/FileSystem.h"
#include "terminal/NumberTexts.h"
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
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("The application directory."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption dataBase(QStringLiteral("db"), QStringLiteral("Load FILE instead of the default base."),
                                      QStringLiteral("FILE"));
    parser.addOption(home);
    parser.addOption(dataBase);
    parser.process(application);

    std::optional<std::filesystem::path> homeDirectory;
    if (parser.isSet(home)) homeDirectory = parser.value(home).toStdString();
    const auto directory =
        karvola::ResolveApplicationDirectory(karvola::ApplicationDirectoryInputsFromEnvironment(homeDirectory));
    karvola::EnsureApplicationLayout(directory);

    karvola::ui::MainWindowSettings settings;
    settings.applicationDirectory = directory;
    settings.decimalSeparator = karvola::UserDecimalSeparator();
    if (parser.isSet(dataBase)) {
        settings.dataBase = std::filesystem::absolute(parser.value(dataBase).toStdString()).lexically_normal().string();
    }
    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::ui::TForm1 window(settings, files, clock);
    window.resize(window.minimumSize());
    if (const QScreen* screen = window.screen()) {
        window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    return QApplication::exec();
}
