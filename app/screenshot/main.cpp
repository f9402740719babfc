// karvola-screenshot: starts the main window on a data base, takes its picture
// right after start-up, types command lines into it as a user would and saves
// pictures of the main window, the Bets Preview, the bankroll chart and the two
// settings dialogs. Used by scripts/screenshot for the README.
#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "terminal/ui/MainWindowOptions.h"
#include "terminal/ui/TForm1.h"

namespace {

void TypeLine(QComboBox& commandLine, const QString& line) {
    commandLine.setFocus();
    commandLine.setEditText(line);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(commandLine.lineEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(commandLine.lineEdit(), &release);
}

bool Save(QWidget& window, const QDir& folder, const char* name) {
    QApplication::processEvents();  // laid out and drawn
    const QString file = folder.filePath(QString::fromLatin1(name));
    const bool saved = window.grab().save(file, "PNG");
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Karvola"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Pictures of Karvola's windows after the given command lines"));
    parser.addHelpOption();
    const karvola::ui::MainWindowOptions options(parser);
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Where the PNG pictures go."),
                                 QStringLiteral("DIR"), QStringLiteral("."));
    parser.addOption(out);
    parser.addPositionalArgument(QStringLiteral("lines"), QStringLiteral("Command lines to type."),
                                 QStringLiteral("[line...]"));
    parser.process(application);
    const karvola::ui::MainWindowSettings settings = options.settings(parser);

    karvola::LocalFileSystem files;
    karvola::SystemClock clock;
    karvola::ui::QtMessageBoxes boxes;
    karvola::ui::TForm1 window(settings, files, clock, boxes);
    window.show();

    const QDir folder(parser.value(out));
    const QStringList lines = parser.positionalArguments();
    int status = 0;
    // Queued after the start-up sequence, which the window queued when it was built.
    QTimer::singleShot(0, &window, [&] {
        bool saved = Save(window, folder, "main-window-start.png");
        for (const QString& line : lines) TypeLine(*window.commandLine(), line);
        window.workstation().optimizer().wait();
        QTimer::singleShot(500, &window, [&, saved]() mutable {
            saved = saved && Save(window, folder, "main-window.png") &&
                    Save(window.simulationTable(), folder, "bets-preview.png") &&
                    Save(window.optimizingChart(), folder, "bankroll-chart.png");
            for (auto [dialog, name] : {std::pair<QDialog*, const char*>{&window.displayOptions(), "display-options.png"},
                                        {&window.enviromentSettings(), "environment-settings.png"}}) {
                dialog->show();
                saved = saved && Save(*dialog, folder, name);
                dialog->reject();
            }
            status = saved ? 0 : 1;
            QApplication::exit(status);
        });
    });
    return QApplication::exec();
}
