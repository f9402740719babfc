#include <QAction>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <memory>
#include <variant>

#include "analysis/Simulation.h"
#include "analysis/ui/TOptimizingChartForm.h"
#include "ui/MainWindowFixture.h"
#include "ui/RecordingMessageBoxes.h"
#include "validation/ui/TValidateStrategyForm.h"

namespace {

using karvola::ChartPoint;
using karvola::SimulationRecord;

// Up to 1.20 on 05/01, down to 0.90 on 20/01 (a quarter of the peak), level
// with the peak again on 30/01, then below it to the end.
SimulationRecord handMadeRun() {
    SimulationRecord record;
    record.points = {
        {1.10f, "01/01/2020", true},  {1.20f, "05/01/2020", true},  {1.08f, "10/01/2020", false},
        {0.96f, "15/01/2020", false}, {0.90f, "20/01/2020", false}, {1.00f, "25/01/2020", true},
        {1.20f, "30/01/2020", true},  {1.10f, "02/02/2020", false}, {1.05f, "03/02/2020", false},
    };
    return record;
}

const QString kDefaultTitle = QStringLiteral("Bankroll Multiplier function in time\n(decimal scale)");

class ValidationWindowTest final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes = std::make_unique<karvola::testing::RecordingMessageBoxes>();
        m_chart = std::make_unique<karvola::ui::TOptimizingChartForm>(*m_boxes, std::filesystem::temp_directory_path());
        m_form = std::make_unique<karvola::ui::TValidateStrategyForm>(*m_boxes);
    }

    void cleanup() {
        m_form.reset();
        m_chart.reset();
        m_boxes.reset();
    }

    // Off by default, so the title is the usual one; on, the deepest drawdown
    // is shaded from its peak's bet to its trough's and the figures follow the scale.
    void chartShowsTheDrawdownOnlyWhenTurnedOn() {
        m_chart->showRecord(handMadeRun());
        QCOMPARE(m_chart->chartTitle(), kDefaultTitle);
        QVERIFY(!m_chart->shadedSpan());

        QAction* item = chartMenu().value(2);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Show Drawdown"));
        QVERIFY(item->isCheckable() && !item->isChecked());
        item->trigger();
        QVERIFY(m_chart->isDrawdownShown());
        QCOMPARE(m_chart->chartTitle(),
                 kDefaultTitle + QStringLiteral(" | max. drawdown 25.0%, losing run 3, under water 4 bets / 25 "
                                                "days, multiplier 1.05"));
        QCOMPARE(m_chart->shadedSpan(), std::make_optional(std::pair(2.0, 5.0)));

        // It stays on for the next run, which never fell below a peak.
        m_chart->showRecord(SimulationRecord{{}, {{1.1f, "01/01/2020", true}, {1.3f, "02/01/2020", true}}});
        QVERIFY(!m_chart->shadedSpan());
        QVERIFY(m_chart->chartTitle().contains(QStringLiteral("max. drawdown 0.0%, losing run 0, multiplier 1.30")));

        item->trigger();
        QVERIFY(!m_chart->isDrawdownShown());
        QCOMPARE(m_chart->chartTitle(), kDefaultTitle);
    }

    // The shade spans the logarithmic axis too, and never gives it a value it
    // cannot map; a fall within one bet still gets a band.
    void shadeFollowsTheScale() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("(?i)logarithm|undefined|nan|inf|range")));
        m_chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
        m_chart->setDrawdownShown(true);
        m_chart->showRecord(SimulationRecord{{}, {{0.5f, "01/01/2020", false}, {2.0f, "02/01/2020", true}}});
        QCOMPARE(m_chart->shadedSpan(), std::make_optional(std::pair(0.5, 1.5)));
        m_chart->toggleScale();
        QVERIFY(!m_chart->findChild<QChartView*>()->grab().isNull());
        auto* shade =
            m_chart->findChild<QChartView*>()->chart()->findChild<QAreaSeries*>(QStringLiteral("DrawdownShade"));
        QVERIFY(shade != nullptr && shade->isVisible());
        auto* axis = qobject_cast<QLogValueAxis*>(shade->attachedAxes().value(1));
        QVERIFY(axis != nullptr);
        QCOMPARE(shade->lowerSeries()->points().value(0).y(), axis->min());
        QVERIFY(axis->min() > 0.0);
    }

    void dialogRefusesAFieldThatIsNoNumber_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        const QString walk = QStringLiteral("RunWalkForwardButton");
        const QString significance = QStringLiteral("RunSignificanceButton");
        QTest::newRow("folds") << "FoldsEdit"
                               << "ten" << walk << "Folds";
        QTest::newRow("no folds") << "FoldsEdit"
                                  << "0" << walk << "Folds";
        QTest::newRow("training") << "TrainingEdit"
                                  << "-5" << walk << "Training matches";
        QTest::newRow("span") << "WalkForwardSpanEdit"
                              << "wide" << walk << "Span";
        QTest::newRow("replicas") << "ReplicasEdit"
                                  << "100001" << significance << "Replicas";
        QTest::newRow("seed") << "SeedEdit"
                              << "-1" << significance << "Seed";
        QTest::newRow("significance span") << "SignificanceSpanEdit"
                                           << "" << significance << "Span";
    }

    void dialogRefusesAFieldThatIsNoNumber() {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QString, caption);
        m_form->prepare(1.0, '.');
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        auto* field = m_form->findChild<QLineEdit*>(edit);
        field->setText(text);
        m_form->findChild<QPushButton*>(button)->click();
        QCOMPARE(m_boxes->captions, QStringList{caption});
        QVERIFY(!m_form->request());
        QVERIFY(m_form->isVisible());
        QCOMPARE(QApplication::focusWidget(), field);
    }

    void dialogReturnsWhatWasAskedFor() {
        m_form->prepare(0.5, ',');
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("WalkForwardSpanEdit"))->text(), QStringLiteral("0,5"));
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("SignificanceSpanEdit"))->text(), QStringLiteral("0,5"));
        m_form->findChild<QLineEdit*>(QStringLiteral("FoldsEdit"))->setText(QStringLiteral("4"));
        m_form->findChild<QLineEdit*>(QStringLiteral("TrainingEdit"))->setText(QStringLiteral("300"));
        m_form->RunWalkForwardButtonClick();
        QCOMPARE(m_form->result(), static_cast<int>(QDialog::Accepted));
        const auto* walkForward = std::get_if<karvola::WalkForwardRequest>(&*m_form->request());
        QVERIFY(walkForward != nullptr);
        QCOMPARE(walkForward->folds, 4);
        QCOMPARE(walkForward->train, std::make_optional(300));
        QCOMPARE(walkForward->span, std::make_optional(0.5));

        m_form->prepare(1.0, '.');
        QVERIFY(!m_form->request());
        m_form->findChild<QLineEdit*>(QStringLiteral("SeedEdit"))->setText(QStringLiteral("18446744073709551615"));
        m_form->RunSignificanceButtonClick();
        const auto* significance = std::get_if<karvola::SignificanceRequest>(&*m_form->request());
        QVERIFY(significance != nullptr);
        QCOMPARE(significance->replicas, 200);
        QCOMPARE(significance->seed, 18446744073709551615ULL);
        QCOMPARE(significance->span, std::make_optional(1.0));

        m_form->ShowRiskButtonClick();
        QVERIFY(std::holds_alternative<karvola::RiskRequest>(*m_form->request()));
        QVERIFY(m_boxes->captions.isEmpty());
    }

    // Tools > Validate Strategy... runs the request on the optimizer's worker:
    // the report reaches the terminal and the busy flag is cleared at its end.
    void menuItemRunsTheValidationOnTheWorker() {
        karvola::testing::MainWindowFixture main;
        main.start();
        main.type(QStringLiteral("struct *"));
        QAction* item = main.window().findChild<QAction*>(QStringLiteral("ValidateStrategyMenuItem"));
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("Validate Strategy..."));

        karvola::testing::MainWindowFixture::whenModal([](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Validate Strategy..."));
            dialog->findChild<QLineEdit*>(QStringLiteral("FoldsEdit"))->setText(QStringLiteral("2"));
            dialog->findChild<QPushButton*>(QStringLiteral("RunWalkForwardButton"))->click();
        });
        item->trigger();
        QTRY_VERIFY(
            main.screenText().contains(QStringLiteral("out-of-sample statistics, pooled over the 2 test blocks:")));
        QTRY_VERIFY(!main.window().workstation().IsOptimizing());
        QVERIFY(main.screenText().contains(
            QStringLiteral("Walk-forward validation of opt over LO 1 .. HI 760 (BND% 12, span 1):")));
        QWidget* focused = main.window().focusWidget();
        QVERIFY(focused == main.window().commandLine() || main.window().commandLine()->isAncestorOf(focused));
        main.stop();
    }

private:
    [[nodiscard]] QList<QAction*> chartMenu() const { return m_chart->findChild<QChartView*>()->actions(); }

    std::unique_ptr<karvola::testing::RecordingMessageBoxes> m_boxes;
    std::unique_ptr<karvola::ui::TOptimizingChartForm> m_chart;
    std::unique_ptr<karvola::ui::TValidateStrategyForm> m_form;
};

}  // namespace

QTEST_MAIN(ValidationWindowTest)
#include "ValidationWindowTest.moc"
