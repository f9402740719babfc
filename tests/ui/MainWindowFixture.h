#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "support/FileContent.h"
#include "support/ScriptedHttpClient.h"
#include "support/TemporaryDirectory.h"
#include "terminal/ui/TerminalScreen.h"
#include "ui/GatedHttpClient.h"
#include "ui/RecordingMessageBoxes.h"
#include "workstation/ui/TForm1.h"

namespace karvola::testing {

// The main window as a user meets it: on the sample base, in a fresh
// application directory, after its start-up sequence has run, with a web
// service that answers the directory from the sample content and has no advert.
// The service answers at once unless a test closes its gate.
class MainWindowFixture {
public:
    static std::string SampleDirectory() {
        return ReadFileContent(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / "referals.txt");
    }

    // The directory's download answers with the text, or fails without one.
    void start(std::optional<std::string> directory = SampleDirectory()) {
        m_folder = std::make_unique<TemporaryDirectory>();
        m_boxes = std::make_unique<RecordingMessageBoxes>();
        m_http = std::make_unique<ScriptedHttpClient>();
        m_http->answer("/referals.txt", std::move(directory));
        m_gate = std::make_unique<GatedHttpClient>(*m_http);
        ui::MainWindowSettings settings;
        settings.applicationDirectory = m_folder->path();
        settings.dataBase = (std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt").string();
        m_window = std::make_unique<ui::TForm1>(
            settings, ui::MainWindowServices{.files = m_files, .clock = m_clock, .boxes = *m_boxes, .http = *m_gate});
        m_window->show();
        // The start-up sequence runs when the event loop first becomes idle.
        QTRY_VERIFY(screenText().contains(QStringLiteral("DBMS : 760 items loaded.")));
        QTRY_VERIFY(m_window->isEnabled());
    }

    void stop() {
        m_window.reset();
        m_gate.reset();
        m_http.reset();
        m_boxes.reset();
        m_folder.reset();
    }

    [[nodiscard]] ui::TForm1& window() const { return *m_window; }
    [[nodiscard]] RecordingMessageBoxes& boxes() const { return *m_boxes; }
    [[nodiscard]] ScriptedHttpClient& http() const { return *m_http; }
    [[nodiscard]] GatedHttpClient& gate() const { return *m_gate; }
    [[nodiscard]] const std::filesystem::path& folder() const { return m_folder->path(); }

    [[nodiscard]] QString screenText() const { return m_window->statusScreen()->toPlainText(); }
    [[nodiscard]] QString label(const char* name) const {
        return m_window->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    // A command line typed and entered.
    void type(const QString& line) const {
        QLineEdit* edit = m_window->commandLine()->lineEdit();
        QTest::keyClicks(edit, line);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // Acts on the next modal dialog once its event loop runs.
    static void whenModal(std::function<void(QWidget*)> action) {
        QTimer::singleShot(0, [action = std::move(action)] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            action(dialog);
        });
    }

private:
    std::unique_ptr<TemporaryDirectory> m_folder;
    std::unique_ptr<RecordingMessageBoxes> m_boxes;
    std::unique_ptr<ScriptedHttpClient> m_http;
    std::unique_ptr<GatedHttpClient> m_gate;
    LocalFileSystem m_files;
    SystemClock m_clock;
    std::unique_ptr<ui::TForm1> m_window;
};

}  // namespace karvola::testing
