#include "wizard/ui/FootballDataImportAction.h"

#include <QFileDialog>
#include <exception>
#include <vector>

#include "common/ui/QtText.h"
#include "common/ui/WaitCursor.h"
#include "wizard/FootballDataImport.h"

namespace karvola::ui {

namespace {

QStringList ChooseCsvFiles(QWidget* parent, const QString& directory) {
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("Import football-data.co.uk CSV Files..."), directory,
                                         QStringLiteral("football-data.co.uk files (*.csv *.CSV)"));
}

}  // namespace

FootballDataImportAction::FootballDataImportAction(std::filesystem::path applicationDirectory, FileSystem& files,
                                                   TerminalSink& terminal, MessageBoxes& boxes)
    : m_applicationDirectory(std::move(applicationDirectory)),
      m_files(files),
      m_terminal(terminal),
      m_boxes(boxes),
      m_chooseCsvFiles(ChooseCsvFiles) {}

void FootballDataImportAction::setChoosers(CsvFilesChooser csvFiles, DataSourceFileChooser target) {
    m_chooseCsvFiles = std::move(csvFiles);
    m_chooseTarget = std::move(target);
}

std::optional<std::string> FootballDataImportAction::run(QWidget* parent) {
    const QStringList csvFiles = m_chooseCsvFiles(parent, PathText(m_applicationDirectory / "DataSource"));
    if (csvFiles.isEmpty()) return std::nullopt;
    const QString target =
        m_chooseTarget(parent, {QStringLiteral("Name the Data Source..."),
                                PathText(m_applicationDirectory / "DataSource" / "football-data.txt"),
                                QStringLiteral("Data Source Files (*.txt)"), QStringLiteral("txt"),
                                DataSourceFileRequest::Purpose::Save});
    if (target.isEmpty()) return std::nullopt;

    std::vector<std::filesystem::path> inputs;
    for (const QString& file : csvFiles) inputs.push_back(PathOf(file));
    const std::string source = PathOf(target).string();
    try {
        const WaitCursor busy;
        const FootballDataImportReport report = ImportFootballData(m_files, inputs, source);
        for (const auto& line : FootballDataImportLines(report, source)) m_terminal.appendLine(line);
        if (report.recordsWritten == 0) {
            // Nothing to go on with in the wizard: the old data source, if any, is untouched.
            m_boxes.inform(
                parent, QStringLiteral("Error"),
                QStringLiteral("No match could be imported; nothing was written to '%1'.").arg(Text(source)));
            return std::nullopt;
        }
        return source;
    } catch (const std::exception& error) {
        m_boxes.inform(parent, QStringLiteral("Error"), Text(error.what()));
        return std::nullopt;
    }
}

}  // namespace karvola::ui
