#pragma once

#include <QCommandLineOption>

#include "terminal/ui/TForm1.h"

class QCommandLineParser;

namespace karvola::ui {

// The options every program that opens the main window takes: --home DIR (the
// application directory) and --db FILE (a base to load instead of the default one).
class MainWindowOptions final {
public:
    explicit MainWindowOptions(QCommandLineParser& parser);

    // The window's settings from the parsed options; creates the application
    // directory's folders when they are missing.
    [[nodiscard]] MainWindowSettings settings(const QCommandLineParser& parser) const;

private:
    QCommandLineOption m_home;
    QCommandLineOption m_dataBase;
};

}  // namespace karvola::ui
