#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <filesystem>

#include "config/Clock.h"
#include "config/FileSystem.h"
#include "support/TemporaryDirectory.h"
#include "terminal/ui/TForm1.h"

namespace {

class TForm1Test final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_folder = std::make_unique<karvola::testing::TemporaryDirectory>();
        karvola::ui::MainWindowSettings settings;
        settings.applicationDirectory = m_folder->path();
        settings.dataBase = (std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "sample.txt").string();
        m_window = std::make_unique<karvola::ui::TForm1>(settings, m_files, m_clock);
        m_window->show();
        // The start-up sequence runs when the event loop first becomes idle.
        QTRY_VERIFY(screenText().contains(QStringLiteral("DBMS : 760 items loaded.")));
        QTRY_VERIFY(m_window->isEnabled());
    }

    void cleanup() {
        m_window.reset();
        m_folder.reset();
    }

    void enterEchoesDispatchesAndKeepsTheHistory() {
        QLineEdit* edit = m_window->commandLine()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("=2+3"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(screenText().endsWith(QStringLiteral(">=2+3\n5")));
        QCOMPARE(m_window->commandLine()->count(), 1);
        QCOMPARE(m_window->commandLine()->itemText(0), QStringLiteral("=2+3"));
        QCOMPARE(edit->text(), QString());

        // An empty line does nothing at all.
        const QString before = screenText();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(screenText(), before);
        QCOMPARE(m_window->commandLine()->count(), 1);
    }

    void commandsChangeTheWorkstationBehindTheWindow() {
        QLineEdit* edit = m_window->commandLine()->lineEdit();
        QTest::keyClicks(edit, QStringLiteral("struct *"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_window->workstation().researchDomain().size(), std::size_t{760});
        QCOMPARE(m_window->workstation().researchDomain().hi(), 760);
    }

private:
    QString screenText() const { return m_window->statusScreen()->toPlainText(); }

    std::unique_ptr<karvola::testing::TemporaryDirectory> m_folder;
    karvola::LocalFileSystem m_files;
    karvola::SystemClock m_clock;
    std::unique_ptr<karvola::ui::TForm1> m_window;
};

}  // namespace

QTEST_MAIN(TForm1Test)
#include "TForm1Test.moc"
