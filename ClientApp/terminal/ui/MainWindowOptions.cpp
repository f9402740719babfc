#include "terminal/ui/MainWindowOptions.h"

#include <QCommandLineParser>

#include "config/ApplicationDirectory.h"
#include "common/NumberTexts.h"

namespace karvola::ui {

MainWindowOptions::MainWindowOptions(QCommandLineParser& parser)
    : m_home(QStringLiteral("home"), QStringLiteral("The application directory."), QStringLiteral("DIR")),
      m_dataBase(QStringLiteral("db"), QStringLiteral("Load FILE instead of the default base."),
                 QStringLiteral("FILE")) {
    parser.addOption(m_home);
    parser.addOption(m_dataBase);
}

MainWindowSettings MainWindowOptions::settings(const QCommandLineParser& parser) const {
    std::optional<std::filesystem::path> homeDirectory;
    if (parser.isSet(m_home)) homeDirectory = parser.value(m_home).toStdString();
    MainWindowSettings settings;
    settings.applicationDirectory =
        ResolveApplicationDirectory(ApplicationDirectoryInputsFromEnvironment(homeDirectory));
    EnsureApplicationLayout(settings.applicationDirectory);
    settings.decimalSeparator = UserDecimalSeparator();
    if (parser.isSet(m_dataBase)) {
        settings.dataBase =
            std::filesystem::absolute(parser.value(m_dataBase).toStdString()).lexically_normal().string();
    }
    return settings;
}

}  // namespace karvola::ui
