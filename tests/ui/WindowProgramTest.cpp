#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "support/TemporaryDirectory.h"

// The karvola program itself, started as a user would start it, in an
// environment cleaned of everything that tells Qt where to show windows.
namespace {

class WindowProgramTest final : public QObject {
    Q_OBJECT

private slots:
    void itNeverAbortsForWantOfADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM, "" for none
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("told");  // what standard error says
        const QString noDisplay = QStringLiteral("in a terminal, run karvola-cli");
        const QString wrongOption = QStringLiteral("--wrong-option");
        QTest::newRow("no display") << QStringList() << QString() << 2 << noDisplay;
        QTest::newRow("no display, a home")
            << QStringList{QStringLiteral("--home"), m_home} << QString() << 2 << noDisplay;
        QTest::newRow("no display, a wrong option") << QStringList{wrongOption} << QString() << 2 << noDisplay;
        QTest::newRow("no display, the help") << QStringList{QStringLiteral("--help")} << QString() << 0 << QString();
        QTest::newRow("a wrong option, the platform in the environment")
            << QStringList{wrongOption} << QStringLiteral("offscreen") << 2 << wrongOption;
        QTest::newRow("a wrong option, the platform as an option")
            << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"), wrongOption} << QString() << 2
            << wrongOption;
    }

    void itNeverAbortsForWantOfADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, status);
        QFETCH(QString, told);

        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), m_home);
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        // The sanitizers' settings of a sanitized build reach the program too.
        const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
            const QString key = QString::fromLatin1(name);
            if (own.contains(key)) environment.insert(key, own.value(key));
        }
        if (!platform.isEmpty()) environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);

        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KARVOLA_GUI_PATH), arguments);
        QVERIFY(program.waitForFinished(30000));
        const QString error = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(!error.contains(QStringLiteral("Reinstalling")), qPrintable(error));
        if (told.isEmpty()) return;
        QVERIFY2(error.contains(told), qPrintable(error));
        if (told.contains(QStringLiteral("karvola-cli"))) {
            QCOMPARE(error.count(QLatin1Char('\n')), 1);
            QVERIFY(error.endsWith(QLatin1Char('\n')));
        }
    }

private:
    karvola::testing::TemporaryDirectory m_folder;
    const QString m_home = QString::fromStdString(m_folder.path().string());
};

}  // namespace

QTEST_MAIN(WindowProgramTest)
#include "WindowProgramTest.moc"
