#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "common/FileSystem.h"
#include "config/MatchConfig.h"
#include "config/ui/TGeneralEnviromentSettingsForm.h"
#include "config/ui/TResultPeResultDisplayOptionsForm.h"
#include "support/FixedClock.h"
#include "tools/ui/TAboutKarvolaForm.h"
#include "ui/RecordingMessageBoxes.h"
#include "ui/UrlRecorder.h"

namespace {

using karvola::testing::UrlRecorder;

using karvola::MatchConfig;
using karvola::ui::DataSourceFileRequest;
using karvola::ui::TAboutKarvolaForm;
using karvola::ui::TGeneralEnviromentSettingsForm;
using karvola::ui::TResultPeResultDisplayOptionsForm;

// A configuration file that exists only in memory; nothing is ever saved.
class ConfigurationInMemory final : public karvola::FileSystem {
public:
    explicit ConfigurationInMemory(std::string content) : m_content(std::move(content)) {}
    std::optional<std::string> readFile(const std::filesystem::path&) override { return m_content; }
    std::unique_ptr<karvola::ReplacementFile> replaceFile(const std::filesystem::path&) override { return nullptr; }
    bool exists(const std::filesystem::path&) override { return true; }

private:
    std::string m_content;
};

// The check boxes in the order of the options text.
const char* const kOptionBoxes[] = {
    "TotalNumberOfBetsCheckBox",
    "WinningBetsCheckBox",
    "AverageOddsCheckBox",
    "StdDevAverageOddsCheckBox",
    "AverageWinningOddsCheckBox",
    "StdDevAverageWinningOddsCheckBox",
    "AverageYeldCheckBox",
    "PessimisticAverageYeldCheckBox",
    "OptimalKellysFractionCheckBox",
    "BankrollMultiplierForOKFCheckBox",
    "WinningLoosingSequenceCheckBox",
    "WinningLoosingSequenceEntropyCheckBox",
};

class SettingsDialogsTest final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes = std::make_unique<karvola::testing::RecordingMessageBoxes>();
        load(QString());
    }

    void cleanup() {
        m_config.reset();
        m_files.reset();
        m_boxes.reset();
    }

    void displayOptionsShowTheDefaultText() {
        TResultPeResultDisplayOptionsForm dialog(*m_config);
        dialog.show();
        QCOMPARE(ticks(dialog), QStringLiteral("110000111110"));
    }

    void displayOptionsStoreOnOkOnly_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("toggled");  // -1: none
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("ok unchanged") << "110000111110" << -1 << "OkSpeedButton" << "110000111110";
        QTest::newRow("first box cleared") << "110000111110" << 0 << "OkSpeedButton" << "010000111110";
        QTest::newRow("last box ticked") << "110000111110" << 11 << "OkSpeedButton" << "110000111111";
        QTest::newRow("cancel keeps the text") << "110000111110" << 2 << "CancelSpeedButton" << "110000111110";
        QTest::newRow("short text: the rest hidden") << "101" << -1 << "OkSpeedButton" << "101000000000";
        QTest::newRow("anything but 1 hides") << "1x1 10000000" << -1 << "OkSpeedButton" << "101010000000";
        // clang-format on
    }

    void displayOptionsStoreOnOkOnly() {
        QFETCH(QString, stored);
        QFETCH(int, toggled);
        QFETCH(QString, button);
        QFETCH(QString, expected);
        m_config->SetResultPeResultOptions(stored.toStdString());
        TResultPeResultDisplayOptionsForm dialog(*m_config);
        dialog.show();
        if (toggled >= 0) optionBox(dialog, toggled)->click();
        click(dialog, button);
        QCOMPARE(QString::fromStdString(m_config->GetResultPeResultOptions()), expected);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), button == QStringLiteral("OkSpeedButton") ? QDialog::Accepted : QDialog::Rejected);
    }

    void displayOptionsAreReadAgainOnEachShow() {
        TResultPeResultDisplayOptionsForm dialog(*m_config);
        dialog.show();
        optionBox(dialog, 3)->click();
        click(dialog, QStringLiteral("CancelSpeedButton"));
        m_config->SetResultPeResultOptions("000000000001");
        dialog.show();
        QCOMPARE(ticks(dialog), QStringLiteral("000000000001"));
    }

    // A styled indicator draws no tick of its own: a ticked box that is only a
    // light square reads as a disabled one.
    void displayOptionsTickedBoxesShowATick() {
        TResultPeResultDisplayOptionsForm dialog(*m_config);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const auto shades = [](QCheckBox* box) {
            QStyleOptionButton option;
            option.initFrom(box);
            // Inside the indicator's border.
            const QRect inside =
                box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).adjusted(2, 2, -2, -2);
            const QImage image = box->grab().toImage();
            int dark = 0;
            int light = 0;
            for (int y = inside.top(); y <= inside.bottom(); ++y) {
                for (int x = inside.left(); x <= inside.right(); ++x) {
                    const int lightness = image.pixelColor(x, y).lightness();
                    dark += lightness < 80 ? 1 : 0;
                    light += lightness > 150 ? 1 : 0;
                }
            }
            return std::pair(dark, light);
        };
        const auto [tickedDark, tickedLight] = shades(optionBox(dialog, 0));
        QVERIFY2(tickedLight > 0 && tickedDark > 4, "a ticked box: a tick on a light square");
        const auto [clearDark, clearLight] = shades(optionBox(dialog, 2));
        QVERIFY2(clearDark > 0 && clearLight == 0, "a clear box: dark inside");
    }

    void environmentSelectsTheStoredTimeZone_data() {
        QTest::addColumn<QString>("bias");
        QTest::addColumn<QString>("selected");  // empty: nothing selected
        // clang-format off
        QTest::newRow("west") << "-5" << "GMT-5 (New York)";
        QTest::newRow("westmost") << "-11" << "GMT-11 (Apia, Midway)";
        QTest::newRow("greenwich") << "+0" << "GMT+0 (London, Dublin, Lisbon)";
        QTest::newRow("eastmost, no sign") << "12" << "GMT+12 (Majuro, Suva)";
        QTest::newRow("past the east end") << "+13" << "";
        QTest::newRow("past the west end") << "-12" << "";
        // clang-format on
    }

    void environmentSelectsTheStoredTimeZone() {
        QFETCH(QString, bias);
        QFETCH(QString, selected);
        load(element("TimeZoneBias", bias));
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        QCOMPARE(timeZones(dialog)->currentText(), selected);
        QCoreApplication::processEvents();
        QVERIFY(m_boxes->texts.isEmpty());
    }

    void environmentKeepsTheSelectionForABiasOutsideTheList() {
        m_config->SetTimeZoneBias(-5);
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        click(dialog, QStringLiteral("CancelSpeedButton"));
        m_config->SetTimeZoneBias(14);
        dialog.show();
        QCOMPARE(timeZones(dialog)->currentText(), QStringLiteral("GMT-5 (New York)"));
    }

    // Whatever the user left the focus on, by OK or Cancel, the next opening starts on the first field.
    void environmentOpensOnItsFirstField_data() {
        QTest::addColumn<QString>("lastUsed");
        QTest::addColumn<QString>("closedBy");
        QTest::newRow("key, then Cancel") << "UIDEdit"
                                          << "CancelSpeedButton";
        QTest::newRow("time zone, then OK") << "TimeZoneComboBox"
                                            << "OKSpeedButton";
    }

    void environmentOpensOnItsFirstField() {
        QFETCH(QString, lastUsed);
        QFETCH(QString, closedBy);
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        QWidget* firstField = edit(dialog, "DataSourceFileNameEdit");
        QCOMPARE(dialog.focusWidget(), firstField);
        auto* used = dialog.findChild<QWidget*>(lastUsed);
        QVERIFY(used != nullptr);
        used->setFocus();
        auto* button = dialog.findChild<QPushButton*>(closedBy);
        button->setFocus();
        button->click();
        QVERIFY(!dialog.isVisible());
        dialog.show();
        QCOMPARE(dialog.focusWidget(), firstField);
    }

    void environmentStoresTheChosenTimeZone_data() {
        QTest::addColumn<QString>("chosen");  // empty: nothing chosen
        QTest::addColumn<QString>("stored");
        // clang-format off
        QTest::newRow("westmost") << "GMT-11 (Apia, Midway)" << "-11";
        QTest::newRow("greenwich") << "GMT+0 (London, Dublin, Lisbon)" << "+0";
        QTest::newRow("eastmost") << "GMT+12 (Majuro, Suva)" << "+12";
        QTest::newRow("last entry") << "GMT-1 (Ponta Delgada, Praia)" << "-1";
        QTest::newRow("none") << "" << "+0";
        // clang-format on
    }

    void environmentStoresTheChosenTimeZone() {
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        load(element("TimeZoneBias", QStringLiteral("+20")));  // nothing selected at first
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        QComboBox* zones = timeZones(dialog);
        zones->setCurrentIndex(zones->findText(chosen));
        click(dialog, QStringLiteral("OKSpeedButton"));
        QCOMPARE(QString::fromStdString(m_config->timeZoneBiasText()), stored);
        QCOMPARE(dialog.result(), QDialog::Accepted);
    }

    void environmentShowsAndStoresSourceAndKey() {
        load(element("DataSource", QStringLiteral("/data/datasource.txt")) + element("UIDkey", QStringLiteral("K-1")) +
             element("TimeZoneBias", QStringLiteral("+1")));
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        QLineEdit* source = edit(dialog, "DataSourceFileNameEdit");
        QLineEdit* key = edit(dialog, "UIDEdit");
        QCOMPARE(source->text(), QStringLiteral("/data/datasource.txt"));
        QCOMPARE(source->toolTip(), QStringLiteral("/data/datasource.txt"));
        QCOMPARE(key->text(), QStringLiteral("K-1"));

        source->setText(QStringLiteral("/other/source.txt"));
        key->clear();  // an empty key is stored too
        click(dialog, QStringLiteral("OKSpeedButton"));
        QCOMPARE(m_config->GetDataSource(), std::string("/other/source.txt"));
        QCOMPARE(m_config->GetUIDKey(), std::string());
        QCOMPARE(m_config->timeZoneBiasText(), std::string("+1"));
    }

    void environmentCancelStoresNothing() {
        load(element("DataSource", QStringLiteral("/data/datasource.txt")) + element("UIDkey", QStringLiteral("K-1")) +
             element("TimeZoneBias", QStringLiteral("-3")));
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        edit(dialog, "DataSourceFileNameEdit")->setText(QStringLiteral("/other/source.txt"));
        edit(dialog, "UIDEdit")->setText(QStringLiteral("K-2"));
        timeZones(dialog)->setCurrentIndex(0);
        click(dialog, QStringLiteral("CancelSpeedButton"));
        QCOMPARE(dialog.result(), QDialog::Rejected);
        QCOMPARE(m_config->GetDataSource(), std::string("/data/datasource.txt"));
        QCOMPARE(m_config->GetUIDKey(), std::string("K-1"));
        QCOMPARE(m_config->timeZoneBiasText(), std::string("-3"));
    }

    void browseStartsBesideTheTypedFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("directory");
        // clang-format off
        QTest::newRow("empty: the application directory") << "" << "/home/user/karvola";
        QTest::newRow("a full path") << "/data/sources/datasource.txt" << "/data/sources";
        // clang-format on
    }

    void browseStartsBesideTheTypedFile() {
        QFETCH(QString, typed);
        QFETCH(QString, directory);
        TGeneralEnviromentSettingsForm dialog(*m_config, "/home/user/karvola", *m_boxes);
        std::optional<DataSourceFileRequest> asked;
        dialog.setFileChooser([&asked](QWidget*, const DataSourceFileRequest& request) {
            asked = request;
            return QString();
        });
        dialog.show();
        edit(dialog, "DataSourceFileNameEdit")->setText(typed);
        click(dialog, QStringLiteral("BrowseSpeedButton"));
        QVERIFY(asked.has_value());
        QCOMPARE(asked->directory, directory);
        QCOMPARE(asked->caption, QStringLiteral("Browse Default Data Source File Name..."));
        QCOMPARE(asked->filter, QStringLiteral("DataSource files (*.txt)"));
        // Cancelled: the edit keeps its text.
        QCOMPARE(edit(dialog, "DataSourceFileNameEdit")->text(), typed);
    }

    void browsePutsTheChosenFileIntoTheEdit() {
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.setFileChooser([](QWidget*, const DataSourceFileRequest&) { return QStringLiteral("/picked/ds.txt"); });
        dialog.show();
        click(dialog, QStringLiteral("BrowseSpeedButton"));
        QCOMPARE(edit(dialog, "DataSourceFileNameEdit")->text(), QStringLiteral("/picked/ds.txt"));
        QCOMPARE(edit(dialog, "DataSourceFileNameEdit")->toolTip(), QStringLiteral("/picked/ds.txt"));
        QCOMPARE(m_config->GetDataSource(), std::string("/karvola/DataSource/datasource.txt"));  // not before OK
    }

    void environmentReportsABiasThatIsNoNumber() {
        load(element("TimeZoneBias", QStringLiteral("+1h")));
        TGeneralEnviromentSettingsForm dialog(*m_config, "/karvola", *m_boxes);
        dialog.show();
        QCOMPARE(timeZones(dialog)->currentIndex(), -1);
        QTRY_COMPARE(m_boxes->texts, QStringList{QStringLiteral("Invalid timezone.")});
        QCOMPARE(m_boxes->captions, QStringList{QStringLiteral("Error")});
        QVERIFY(dialog.isVisible());
    }

    void aboutShowsTheDateItWasGiven() {
        TAboutKarvolaForm about;
        about.setReleaseDate(QStringLiteral("Apr 22 2009"));
        about.show();
        auto* label = about.findChild<QLabel*>(QStringLiteral("ReleaseDateLabel"));
        QVERIFY(label != nullptr);
        QCOMPARE(label->text(), QStringLiteral("Release Date: Apr 22 2009"));
    }

    // The box states the licence the program is distributed under, and no other terms.
    void aboutStatesTheGplAndNoOtherTerms() {
        TAboutKarvolaForm about;
        auto* gpl = about.findChild<QLabel*>(QStringLiteral("GplLabel"));
        auto* memo = about.findChild<QPlainTextEdit*>(QStringLiteral("LicenceAgreementMemo"));
        QVERIFY(gpl != nullptr && memo != nullptr);
        QCOMPARE(gpl->text(), QStringLiteral("Licensed under the GNU GPL v3 or later"));
        const QString text = memo->toPlainText();
        for (const char* part : {"Copyright (C) 2026 the Karvola developers", "GNU General Public License",
                                 "either version 3 of the License, or (at your option) any later version",
                                 "WITHOUT ANY WARRANTY", "https://www.gnu.org/licenses/"}) {
            QVERIFY2(text.contains(QLatin1String(part)), part);
        }
        for (const char* part : {"SINGLE-USER", "resold", "rented", "By using the software you accept"}) {
            QVERIFY2(!text.contains(QLatin1String(part), Qt::CaseInsensitive), part);
        }
    }

    void aboutOpensTheMakersAddressWhenClicked() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        TAboutKarvolaForm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* label = about.findChild<QLabel*>(QStringLiteral("WebAddressLabel"));
        QVERIFY(label != nullptr);
        QTest::mouseClick(label, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.karvola.example"))});
    }

private:
    static QString element(const char* name, const QString& value) {
        return QStringLiteral("<%1>%2</%1>").arg(QString::fromLatin1(name), value);
    }

    // A configuration read from a file holding the given elements.
    void load(const QString& elements) {
        m_config.reset();
        m_files = std::make_unique<ConfigurationInMemory>(
            QStringLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<KarvolaConfiguration>%1"
                           "</KarvolaConfiguration>\r\n")
                .arg(elements)
                .toStdString());
        m_config = std::make_unique<MatchConfig>("/karvola", *m_files, m_clock);
    }

    static QCheckBox* optionBox(const QDialog& dialog, int position) {
        return dialog.findChild<QCheckBox*>(QString::fromLatin1(kOptionBoxes[position]));
    }

    // The boxes as an options text.
    static QString ticks(const QDialog& dialog) {
        QString text;
        for (int position = 0; position < 12; ++position) {
            const QCheckBox* box = optionBox(dialog, position);
            text += box == nullptr ? QLatin1Char('?') : box->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        }
        return text;
    }

    static QComboBox* timeZones(const QDialog& dialog) {
        return dialog.findChild<QComboBox*>(QStringLiteral("TimeZoneComboBox"));
    }

    static QLineEdit* edit(const QDialog& dialog, const char* name) {
        return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
    }

    static void click(const QDialog& dialog, const QString& button) {
        auto* found = dialog.findChild<QPushButton*>(button);
        QVERIFY2(found != nullptr, qPrintable(button));
        found->click();
    }

    karvola::testing::FixedClock m_clock{1232020800};
    std::unique_ptr<ConfigurationInMemory> m_files;
    std::unique_ptr<MatchConfig> m_config;
    std::unique_ptr<karvola::testing::RecordingMessageBoxes> m_boxes;
};

}  // namespace

QTEST_MAIN(SettingsDialogsTest)
#include "SettingsDialogsTest.moc"
