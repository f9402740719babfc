#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QValueAxis>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>

#include "analysis/Simulation.h"
#include "analysis/ui/TOptimizingChartForm.h"
#include "analysis/ui/TSimulationTableForm.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"
#include "ui/RecordingMessageBoxes.h"

Q_DECLARE_METATYPE(karvola::SimulationRecord)

namespace {

using karvola::BetsPreviewRow;
using karvola::ChartPoint;
using karvola::SimulationRecord;

SimulationRecord bankrolls(std::initializer_list<float> values) {
    SimulationRecord record;
    int day = 1;
    for (const float value : values) record.points.push_back({value, std::to_string(day++) + "/08/2005"});
    return record;
}

BetsPreviewRow row(int number, std::string teams, std::string result) {
    return {std::to_string(number),
            "29/07/2005",
            "France, Ligue 1",
            std::move(teams),
            "1.60",
            "3.80",
            "7.00",
            "bet1",
            "1.60",
            "0.1",
            std::move(result),
            "1.06"};
}

QByteArray fileStart(const QString& file, int size) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {};
    return in.read(size);
}

class SimulationWindowsTest final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes = std::make_unique<karvola::testing::RecordingMessageBoxes>();
        m_chartForm =
            std::make_unique<karvola::ui::TOptimizingChartForm>(*m_boxes, std::filesystem::temp_directory_path());
        m_tableForm = std::make_unique<karvola::ui::TSimulationTableForm>();
    }

    void cleanup() {
        m_chartForm.reset();
        m_tableForm.reset();
        m_boxes.reset();
    }

    void windowsStayOnTopWithTheirCaptions() {
        QCOMPARE(m_chartForm->windowTitle(), QStringLiteral("Bankroll Multiplier Chart..."));
        QCOMPARE(m_tableForm->windowTitle(), QStringLiteral("Bets Preview"));
        QVERIFY(m_chartForm->isWindow() && (m_chartForm->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(m_tableForm->isWindow() && (m_tableForm->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!chart()->legend()->isVisible());
        QCOMPARE(series()->color(), QColor(Qt::red));
    }

    void scaleToggleNamesTheOtherScale() {
        const QString decimalTitle = QStringLiteral("Bankroll Multiplier function in time\n(decimal scale)");
        QVERIFY(!m_chartForm->isLogarithmic());
        QCOMPARE(m_chartForm->scaleToggleCaption(), QStringLiteral("Logharitmic Scale"));
        QCOMPARE(m_chartForm->chartTitle(), decimalTitle);
        QVERIFY(qobject_cast<QValueAxis*>(verticalAxis()));

        m_chartForm->toggleScale();
        QVERIFY(m_chartForm->isLogarithmic());
        QCOMPARE(m_chartForm->scaleToggleCaption(), QStringLiteral("Decimal Scale"));
        QCOMPARE(m_chartForm->chartTitle(),
                 QStringLiteral("Bankroll Multiplier function in time\n(logarithmic scale)"));
        QVERIFY(qobject_cast<QLogValueAxis*>(verticalAxis()));

        // The toggle in the context menu is the same switch.
        const QList<QAction*> menu = chartView()->actions();
        QCOMPARE(menu.size(), 3);
        QCOMPARE(menu[0]->text(), QStringLiteral("Save Chart As..."));
        QCOMPARE(menu[1]->text(), QStringLiteral("Decimal Scale"));
        QCOMPARE(menu[2]->text(), QStringLiteral("Show Drawdown"));
        menu[1]->trigger();
        QVERIFY(!m_chartForm->isLogarithmic());
        QCOMPARE(m_chartForm->scaleToggleCaption(), QStringLiteral("Logharitmic Scale"));
        QCOMPARE(m_chartForm->chartTitle(), decimalTitle);
        QVERIFY(qobject_cast<QValueAxis*>(verticalAxis()));
    }

    void showRecordPlotsEveryBankrollInOrder() {
        m_chartForm->showRecord(bankrolls({1.1f, 0.99f, 1.5f}));
        QCOMPARE(series()->points(), (QList<QPointF>{{1, 1.1f}, {2, 0.99f}, {3, 1.5f}}));
        auto* axis = qobject_cast<QValueAxis*>(verticalAxis());
        QVERIFY(axis->min() <= 0.99f && axis->max() >= 1.5);

        // A later simulation replaces the points and keeps the scale chosen.
        m_chartForm->toggleScale();
        m_chartForm->showRecord(bankrolls({2.0f, 40.0f}));
        QCOMPARE(series()->points(), (QList<QPointF>{{1, 2.0}, {2, 40.0}}));
        QVERIFY(m_chartForm->isLogarithmic());
        QCOMPARE(m_chartForm->scaleToggleCaption(), QStringLiteral("Decimal Scale"));

        m_chartForm->clearSeries();
        QCOMPARE(series()->count(), 0);
        QVERIFY(m_chartForm->isLogarithmic());
    }

    void dateAxisShowsAFewOfThePointsDates() {
        SimulationRecord record;
        for (int n = 1; n <= 100; ++n) record.points.push_back({1.0f, "day " + std::to_string(n)});
        m_chartForm->showRecord(record);
        const QStringList labels = dateAxis()->categoriesLabels();
        QVERIFY2(labels.size() >= 2 && labels.size() <= 6, qPrintable(labels.join(QLatin1Char(','))));
        QCOMPARE(labels.constFirst(), QStringLiteral("day 1"));
        QCOMPARE(labels.constLast(), QStringLiteral("day 100"));
        for (const QString& label : labels) QCOMPARE(dateAxis()->endValue(label), label.mid(4).toDouble());

        // Several matches a day: the date is labelled once; the last run's labels are gone.
        m_chartForm->showRecord(
            SimulationRecord{{}, {{1.1f, "29/07/2005"}, {1.2f, "29/07/2005"}, {1.3f, "29/07/2005"}}});
        QCOMPARE(dateAxis()->categoriesLabels(), QStringList{QStringLiteral("29/07/2005")});
        m_chartForm->clearSeries();
        QVERIFY(dateAxis()->categoriesLabels().isEmpty());
    }

    void bankrollsTheScaleCannotShowSitAtTheAxisEdge_data() {
        QTest::addColumn<bool>("logarithmic");
        QTest::addColumn<SimulationRecord>("record");
        constexpr float kInfinity = std::numeric_limits<float>::infinity();
        constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
        // A fraction above 1 makes the bankroll change sign with every lost bet.
        QTest::newRow("log, negative") << true << bankrolls({-0.5f, 0.25f, -0.125f, 0.0f, 3.0f});
        QTest::newRow("log, none positive") << true << bankrolls({-1.0f, 0.0f});
        QTest::newRow("log, overflow") << true << bankrolls({1.0f, kInfinity, kNan, std::numeric_limits<float>::max()});
        QTest::newRow("decimal, overflow") << false << bankrolls({1.0f, -kInfinity, kInfinity, kNan});
    }

    void bankrollsTheScaleCannotShowSitAtTheAxisEdge() {
        QFETCH(bool, logarithmic);
        QFETCH(SimulationRecord, record);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("(?i)logarithm|undefined|nan|inf|range")));
        if (logarithmic) m_chartForm->toggleScale();
        m_chartForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chartForm.get()));
        m_chartForm->showRecord(record);
        // Switching scales with the points in place must hold as well.
        m_chartForm->toggleScale();
        m_chartForm->toggleScale();
        QVERIFY(!chartView()->grab().isNull());

        const QList<QPointF> points = series()->points();
        QCOMPARE(points.size(), static_cast<qsizetype>(record.points.size()));
        double low = 0.0;
        double high = 0.0;
        if (auto* log = qobject_cast<QLogValueAxis*>(verticalAxis())) {
            QVERIFY(logarithmic);
            low = log->min();
            high = log->max();
            QVERIFY(low > 0.0);
        } else {
            auto* linear = qobject_cast<QValueAxis*>(verticalAxis());
            low = linear->min();
            high = linear->max();
        }
        for (qsizetype i = 0; i < points.size(); ++i) {
            const float value = record.points[static_cast<std::size_t>(i)].bankroll;
            QCOMPARE(points[i].x(), static_cast<double>(i + 1));
            QVERIFY2(std::isfinite(points[i].y()) && points[i].y() >= low && points[i].y() <= high,
                     qPrintable(QString::number(i)));
            const bool showable = std::isfinite(value) && (!logarithmic || value > 0.0f);
            if (showable) QCOMPARE(points[i].y(), static_cast<double>(value));
            if (std::isnan(value) || value == -std::numeric_limits<float>::infinity() || (logarithmic && value <= 0.0f))
                QCOMPARE(points[i].y(), low);
        }
    }

    void saveChartWritesTheFormatOfTheSuffix_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("signature");
        const QByteArray bitmap("BM");
        const QByteArray png("\x89PNG\r\n\x1a\n", 8);
        QTest::newRow("bmp") << QStringLiteral("chart.bmp") << bitmap;
        QTest::newRow("png") << QStringLiteral("chart.png") << png;
        QTest::newRow("PNG") << QStringLiteral("CHART.PNG") << png;
        QTest::newRow("no suffix") << QStringLiteral("chart") << bitmap;
        QTest::newRow("other suffix") << QStringLiteral("chart.jpg") << bitmap;
    }

    void saveChartWritesTheFormatOfTheSuffix() {
        QFETCH(QString, name);
        QFETCH(QByteArray, signature);
        karvola::testing::TemporaryDirectory folder;
        const QString file = QString::fromStdString((folder.path() / name.toStdString()).string());
        m_chartForm->showRecord(bankrolls({1.1f, 0.99f, 1.5f}));
        QVERIFY(m_chartForm->saveChart(file));
        QCOMPARE(fileStart(file, static_cast<int>(signature.size())), signature);
    }

    // Encoded first, then written whole or not at all: under every fault of the
    // table the save fails and an old picture stays byte for byte, nothing beside it.
    void saveChartKeepsTheOldPictureUnderEveryFault_data() {
        QTest::addColumn<int>("fault");
        for (const auto fault : karvola::testing::AllSaveFaults())
            QTest::newRow(karvola::testing::NameOf(fault).c_str()) << static_cast<int>(fault);
    }

    void saveChartKeepsTheOldPictureUnderEveryFault() {
        QFETCH(int, fault);
        karvola::testing::TemporaryDirectory folder;
        karvola::testing::FaultyFileSystem files;
        const auto file = folder.path() / "chart.png";
        const karvola::testing::SaveFaultScene scene(static_cast<karvola::testing::SaveFault>(fault), files, file,
                                                     "old picture");
        m_chartForm->showRecord(bankrolls({1.1f, 0.99f, 1.5f}));
        bool saved = true;
        scene.save([&] { saved = m_chartForm->saveChart(files, QString::fromStdString(file.string())); });
        QVERIFY(!saved);
        QCOMPARE(files.commits(), 0);
        QVERIFY(scene.unchanged());
    }

    void saveChartAsReportsAFailedSave() {
        karvola::testing::TemporaryDirectory folder;
        const QString file = QString::fromStdString((folder.path() / "missing" / "chart.bmp").string());
        QVERIFY(!m_chartForm->saveChart(file));

        m_chartForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chartForm.get()));
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            answered = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Save Chart As..."));
            QCOMPARE(dialog->nameFilters(),
                     (QStringList{QStringLiteral("Windows Bitmap BMP (*.bmp)"), QStringLiteral("PNG (*.png)")}));
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("bmp"));
            dialog->selectNameFilter(QStringLiteral("PNG (*.png)"));
            emit dialog->filterSelected(QStringLiteral("PNG (*.png)"));
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("png"));
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
        });
        m_chartForm->SaveChartAsClick();
        QVERIFY(answered);
        QCOMPARE(m_boxes->captions, QStringList{QStringLiteral("Error")});
        QVERIFY(m_boxes->texts.constFirst().contains(QStringLiteral("chart.bmp")));
    }

    // Like the program's other saved work, not wherever the program was started.
    void saveChartAsOpensInTheWorkSpace() {
        karvola::testing::TemporaryDirectory folder;
        const std::filesystem::path workSpace = folder.path() / "WorkSpace";
        std::filesystem::create_directories(workSpace);
        karvola::ui::TOptimizingChartForm form(*m_boxes, workSpace);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QString opened;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) return;
            opened = dialog->directory().absolutePath();
            dialog->reject();
        });
        form.SaveChartAsClick();
        QCOMPARE(opened, QString::fromStdString(workSpace.string()));
        QVERIFY(m_boxes->captions.isEmpty());
    }

    void betsPreviewShowsOneRowPerBet() {
        QTreeWidget* list = simListView();
        QVERIFY(list != nullptr);
        const QStringList headers =
            QStringLiteral("No.|Date|Category|Teams|1|X|2|Decision|Odds for Decision|Stake|Result|Current Bankroll")
                .split(QLatin1Char('|'));
        QCOMPARE(list->columnCount(), 12);
        for (int column = 0; column < 12; ++column) QCOMPARE(list->headerItem()->text(column), headers[column]);

        SimulationRecord record;
        record.rows = {row(1, "Paris SG - Metz", "won"), row(2, "N\xeemes - Saint-\xc9tienne", "lost, won odds2")};
        m_tableForm->showRecord(record);
        QCOMPARE(list->topLevelItemCount(), 2);
        const QStringList first =
            QStringLiteral("1|29/07/2005|France, Ligue 1|Paris SG - Metz|1.60|3.80|7.00|bet1|1.60|0.1|won|1.06")
                .split(QLatin1Char('|'));
        for (int column = 0; column < 12; ++column) QCOMPARE(list->topLevelItem(0)->text(column), first[column]);
        // Data base texts are Latin-1 bytes.
        QCOMPARE(list->topLevelItem(1)->text(3), QString::fromUtf8("N\u00eemes - Saint-\u00c9tienne"));
        QCOMPARE(list->topLevelItem(1)->text(10), QStringLiteral("lost, won odds2"));

        // A later simulation replaces the rows, and the columns fit the new texts.
        record.rows = {row(1, std::string(60, 'W'), "won")};
        m_tableForm->showRecord(record);
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(list->columnWidth(3) >= list->fontMetrics().horizontalAdvance(QString(60, QLatin1Char('W'))));

        m_tableForm->showRecord(SimulationRecord{});
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    void betsPreviewIsAReadOnlyListOfWholeRows() {
        QTreeWidget* list = simListView();
        QVERIFY(!list->rootIsDecorated());
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);

        SimulationRecord record;
        for (int n = 1; n <= 5000; ++n) record.rows.push_back(row(n, "Paris SG - Metz", "won"));
        m_tableForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_tableForm.get()));
        m_tableForm->showRecord(record);
        QCOMPARE(list->topLevelItemCount(), 5000);
        QCOMPARE(list->topLevelItem(4999)->text(0), QStringLiteral("5000"));
        QVERIFY(list->updatesEnabled());
    }

private:
    [[nodiscard]] QChartView* chartView() const { return m_chartForm->findChild<QChartView*>(); }
    [[nodiscard]] QChart* chart() const { return chartView()->chart(); }
    [[nodiscard]] QLineSeries* series() const { return chart()->findChild<QLineSeries*>(QStringLiteral("Series1")); }
    // The scale shown; the other one stays in the chart, hidden and without the series.
    [[nodiscard]] QAbstractAxis* verticalAxis() const {
        const QList<QAbstractAxis*> attached = series()->attachedAxes();
        for (QAbstractAxis* axis : attached) {
            if (axis->orientation() == Qt::Vertical && axis->isVisible()) return axis;
        }
        return nullptr;
    }
    [[nodiscard]] QCategoryAxis* dateAxis() const {
        return qobject_cast<QCategoryAxis*>(chart()->axes(Qt::Horizontal).value(0));
    }
    [[nodiscard]] QTreeWidget* simListView() const {
        return m_tableForm->findChild<QTreeWidget*>(QStringLiteral("SimListView"));
    }

    std::unique_ptr<karvola::testing::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<karvola::ui::TOptimizingChartForm> m_chartForm;
    std::unique_ptr<karvola::ui::TSimulationTableForm> m_tableForm;
};

}  // namespace

QTEST_MAIN(SimulationWindowsTest)
#include "SimulationWindowsTest.moc"
