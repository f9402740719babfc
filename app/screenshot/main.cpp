// karvola-screenshot: starts the main window on a data base, takes its picture
// right after start-up, types command lines into it as a user would and saves
// pictures of the main window, the Bets Preview, the bankroll chart and the two
// settings dialogs. Used by scripts/screenshot for the README.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/NumberTexts.h"
#include "config/ApplicationDirectory.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "options/CommandLine.h"
#include "terminal/ui/TForm1.h"
#include "web/CurlHttpClient.h"

namespace {

// Arguments are in the locale's encoding, as Qt reads them.
QString FromArgument(const std::string& argument) {
    return QString::fromLocal8Bit(argument.data(), static_cast<qsizetype>(argument.size()));
}

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

    karvola::options::CommandLine commandLine("karvola-screenshot",
                                              "Pictures of Karvola's windows after the given command lines.");
    std::string out = ".";
    std::vector<std::string> lines;
    commandLine.addOption("--out", out, "where the PNG pictures go", "DIR");
    commandLine.addArguments("LINE", lines, "command lines to type, in order");
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
    window.show();

    const QDir folder(FromArgument(out));
    int status = 0;
    // Queued after the start-up sequence, which the window queued when it was built.
    QTimer::singleShot(0, &window, [&] {
        bool saved = Save(window, folder, "main-window-start.png");
        for (const std::string& line : lines) TypeLine(*window.commandLine(), FromArgument(line));
        window.workstation().optimizer().wait();
        QTimer::singleShot(500, &window, [&, saved]() mutable {
            saved = saved && Save(window, folder, "main-window.png") &&
                    Save(window.simulationTable(), folder, "bets-preview.png") &&
                    Save(window.optimizingChart(), folder, "bankroll-chart.png");
            for (auto [dialog, name] :
                 {std::pair<QDialog*, const char*>{&window.displayOptions(), "display-options.png"},
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
