#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/FileSystem.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/QueuedCalls.h"
#include "config/MatchConfig.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "directory/AffiliateLinks.h"
#include "wizard/DataBaseCreation.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace karvola::ui {

// Runs one creation on the wizard's worker thread; the reports are called
// from that thread.
using WizardConversionRunner = std::function<DataBaseCreationResult(
    const DataBaseCreationRequest& request, std::atomic<bool>& stopRequested, const DataBaseCreationReports& reports)>;

// The database creation wizard: six pages from a data source file to a new
// data base (choose the source, name the base, mark bookmakers, choose the time
// zone, wait). The conversion runs on a worker thread; its progress reaches the
// window queued, and the wizard closes itself when the conversion ends.
class TDataBaseGeneratorWizardForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TDataBaseGeneratorWizardForm)

public:
    static constexpr int kLastPage = 5;

    TDataBaseGeneratorWizardForm(MatchConfig& config, std::filesystem::path applicationDirectory, FileSystem& files,
                                 MessageBoxes& boxes, std::function<const AffiliateLinks&()> directory,
                                 WizardConversionRunner runner, QWidget* parent = nullptr);
    // Stops a conversion still running and waits for its worker.
    ~TDataBaseGeneratorWizardForm() override;

    // Replaces the file dialogs of "[ Specify... ]" (tests answer without a modal dialog).
    void setFileChooser(DataSourceFileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Page 0, both file names empty; before every opening.
    void ResetWizard();
    // After ResetWizard: the data source that page 1 offers first.
    void presetDataSource(std::string source) { m_sourceFileName = std::move(source); }
    void SpeedButton1Click();  // [ << Prev   ]
    void SpeedButton2Click();  // [  Next >>  ]
    void SpeedButton3Click();  // [  Cancel   ]
    void SpecifySpeedButtonClick();

    [[nodiscard]] int page() const { return m_page; }
    [[nodiscard]] bool created() const { return m_created; }
    [[nodiscard]] const std::string& baseFileName() const { return m_baseFileName; }
    [[nodiscard]] QStringList descriptionLines() const;
    [[nodiscard]] QLineEdit* fileNameEdit() const { return m_fileNameEdit; }
    // Page 2: the whole path the base will be written to.
    [[nodiscard]] QLabel* baseFilePathLabel() const { return m_baseFilePathLabel; }
    [[nodiscard]] QListWidget* bookmakers() const { return m_bookmakersCheckListBox; }
    [[nodiscard]] QComboBox* timeZones() const { return m_timeZoneComboBox; }
    [[nodiscard]] QProgressBar* progressBar() const { return m_progressBar; }
    [[nodiscard]] QLabel* elapsedTimeLabel() const { return m_elapsedTimeLabel; }
    [[nodiscard]] QMenu* bookmakersMenu() const { return m_bookmakersMenu; }
    [[nodiscard]] bool working() const { return m_worker.joinable(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void buildBookmakersMenu();
    void showPage(int page);
    void setDescription(const std::array<const char*, 5>& lines);
    void showBaseFilePath();
    void loadBookmakers(const std::vector<std::string>& names);
    void markBookmakers(bool marked, const std::function<bool(const std::string& name)>& condition);
    void startConversion();
    void conversionEnded(const DataBaseCreationResult& end);

    MatchConfig& m_config;
    std::filesystem::path m_applicationDirectory;
    FileSystem& m_files;
    MessageBoxes& m_boxes;
    std::function<const AffiliateLinks&()> m_directory;
    WizardConversionRunner m_runner;
    DataSourceFileChooser m_chooseFile = ChooseDataSourceFile;

    std::array<QLabel*, 5> m_descriptionLabels{};
    QLineEdit* m_fileNameEdit = nullptr;
    QPushButton* m_specifySpeedButton = nullptr;
    QLabel* m_baseFilePathLabel = nullptr;
    QListWidget* m_bookmakersCheckListBox = nullptr;
    QMenu* m_bookmakersMenu = nullptr;
    QComboBox* m_timeZoneComboBox = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_elapsedTimeLabel = nullptr;
    QPushButton* m_prev = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;

    int m_page = 0;
    int m_specifyTarget = 0;  // 0: the data source, 1: the data base
    int m_timeZoneOffset = 0;
    std::string m_sourceFileName;
    std::string m_baseFileName;
    bool m_created = false;
    std::atomic<bool> m_stopRequested = false;
    std::thread m_worker;
    QueuedCalls* m_queuedCalls = new QueuedCalls(this);  // the worker's progress and end, on the wizard's thread
};

}  // namespace karvola::ui
