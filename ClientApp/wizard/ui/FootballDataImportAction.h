#pragma once

#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/FileSystem.h"
#include "common/TerminalSink.h"
#include "common/ui/MessageBoxes.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"

class QWidget;

namespace karvola::ui {

// Tools > Import football-data.co.uk CSV Files...: the user picks the CSV files
// and the data source to write; the import's report goes to the terminal, as
// karvola-cli's :import writes it. The import takes well under a second for
// twenty seasons of five leagues, so it runs where it is asked for.
class FootballDataImportAction final {
public:
    // The CSV files to import, from a dialog that starts in the folder; none when cancelled.
    using CsvFilesChooser = std::function<QStringList(QWidget* parent, const QString& directory)>;

    FootballDataImportAction(std::filesystem::path applicationDirectory, FileSystem& files, TerminalSink& terminal,
                             MessageBoxes& boxes);

    // Replace the file dialogs (tests answer without a modal dialog).
    void setChoosers(CsvFilesChooser csvFiles, DataSourceFileChooser target);

    // The data source written, or nothing when the user cancelled or the import failed.
    std::optional<std::string> run(QWidget* parent);

private:
    std::filesystem::path m_applicationDirectory;
    FileSystem& m_files;
    TerminalSink& m_terminal;
    MessageBoxes& m_boxes;
    CsvFilesChooser m_chooseCsvFiles;
    DataSourceFileChooser m_chooseTarget = ChooseDataSourceFile;
};

}  // namespace karvola::ui
