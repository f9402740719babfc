#pragma once

#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

#include "config/Clock.h"
#include "config/FileSystem.h"
#include "terminal/Workstation.h"
#include "terminal/ui/StatusScreenSink.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;

namespace karvola::ui {

struct MainWindowSettings {
    std::filesystem::path applicationDirectory;
    std::optional<std::string> dataBase;  // loaded at start instead of the configured one
    char decimalSeparator = '.';
};

// The main window: a view over the Workstation. Typed lines and menu items become
// core calls; the labels and lists show the Workstation's state after each.
class TForm1 final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm1)

public:
    TForm1(MainWindowSettings settings, FileSystem& files, const Clock& clock, QWidget* parent = nullptr);
    ~TForm1() override;

    [[nodiscard]] QComboBox* commandLine() const { return m_commandLine; }
    [[nodiscard]] QPlainTextEdit* statusScreen() const { return m_statusScreen; }
    [[nodiscard]] Workstation& workstation() { return *m_workstation; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void ApplicationEvents1Idle();
    void CommandLineKeyPress();
    void LoadDataBaseMenuItemClick();
    void refreshGeneral();

    MainWindowSettings m_settings;
    QPlainTextEdit* m_statusScreen = nullptr;
    QComboBox* m_commandLine = nullptr;
    QLabel* m_dataBaseNameLabel = nullptr;
    QLabel* m_dataBaseSizeLabel = nullptr;
    QLabel* m_domainSizeLabel = nullptr;
    QLabel* m_compartmentInfimum = nullptr;
    QLabel* m_compartmentSupremum = nullptr;
    QLabel* m_bnd = nullptr;
    QPlainTextEdit* m_restrictionsMemo = nullptr;
    QListWidget* m_categories = nullptr;
    QListWidget* m_bookmakers = nullptr;
    QProgressBar* m_progressBar = nullptr;
    std::unique_ptr<StatusScreenSink> m_sink;
    std::unique_ptr<Workstation> m_workstation;
    std::unique_ptr<OptimizationObserver> m_progress;
};

}  // namespace karvola::ui
