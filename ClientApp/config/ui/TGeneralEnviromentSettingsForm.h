#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>

#include "common/ui/MessageBoxes.h"
#include "config/MatchConfig.h"

class QComboBox;
class QLineEdit;

namespace karvola::ui {

// What a Browse or Specify button asks of a file dialog.
struct DataSourceFileRequest {
    enum class Purpose { Open, Save };
    QString caption;
    QString directory;  // where the dialog starts, or the file it proposes
    QString filter;
    QString defaultSuffix;
    Purpose purpose = Purpose::Open;  // an existing file to read, or any name to write
};

// Opens a file dialog for the request; the chosen file's full path, or an empty
// text when the user cancels.
using DataSourceFileChooser = std::function<QString(QWidget* parent, const DataSourceFileRequest& request)>;

// The real, modal file dialog.
QString ChooseDataSourceFile(QWidget* parent, const DataSourceFileRequest& request);

// The default data source file, the time zone and the key for the
// upcoming-matches service. OK stores all three, Cancel nothing.
class TGeneralEnviromentSettingsForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TGeneralEnviromentSettingsForm)

public:
    TGeneralEnviromentSettingsForm(MatchConfig& config, std::filesystem::path applicationDirectory, MessageBoxes& boxes,
                                   QWidget* parent = nullptr);

    // Replaces the file dialog of the Browse button (tests answer without a modal dialog).
    void setFileChooser(DataSourceFileChooser chooser) { m_chooseFile = std::move(chooser); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void BrowseSpeedButtonClick();
    void OKSpeedButtonClick();
    void CancelSpeedButtonClick();
    void showDataSource(const QString& path);
    void selectTimeZone();

    MatchConfig& m_config;
    std::filesystem::path m_applicationDirectory;
    MessageBoxes& m_boxes;
    DataSourceFileChooser m_chooseFile = ChooseDataSourceFile;
    QLineEdit* m_dataSourceFileNameEdit = nullptr;
    QComboBox* m_timeZoneComboBox = nullptr;
    QLineEdit* m_uidEdit = nullptr;
};

}  // namespace karvola::ui
