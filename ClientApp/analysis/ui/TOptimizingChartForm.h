#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/BankrollChartLayout.h"
#include "analysis/Simulation.h"
#include "common/FileSystem.h"

class QAction;
class QAreaSeries;
class QCategoryAxis;
class QChart;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;

namespace karvola::ui {

class MessageBoxes;

// The "Bankroll Multiplier Chart..." window: the bankroll after each bet of the
// last simulation, on a decimal or logarithmic scale chosen from its context menu.
class TOptimizingChartForm final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TOptimizingChartForm)

public:
    // Save Chart As... opens in workSpace, the WorkSpace folder of the
    // application directory, beside the program's other saved work.
    TOptimizingChartForm(MessageBoxes& boxes, std::filesystem::path workSpace, QWidget* parent = nullptr);
    ~TOptimizingChartForm() override;

    // Replaces the points with the record's.
    void showRecord(const SimulationRecord& record);
    void clearSeries();

    // The scale stays as chosen for every later simulation.
    void toggleScale();
    // The deepest drawdown shaded and the risk figures in the title's second
    // line; off at start, as chosen from the context menu for every later run.
    void setDrawdownShown(bool shown);
    [[nodiscard]] bool isDrawdownShown() const { return m_drawdownShown; }
    // The shaded span of points (1 for the first), when it is shown.
    [[nodiscard]] std::optional<std::pair<double, double>> shadedSpan() const;
    [[nodiscard]] bool isLogarithmic() const { return m_logarithmic; }
    [[nodiscard]] QString scaleToggleCaption() const;
    // Both title lines, separated by "\n".
    [[nodiscard]] QString chartTitle() const;

    // The chart as drawn: PNG for a ".png" file, else a Windows bitmap, in place
    // of the file whole or not at all. False when the file cannot be written; an
    // old picture then stays as it was.
    bool saveChart(const QString& file) const;
    bool saveChart(FileSystem& files, const QString& file) const;
    // Asks for a file and saves the chart to it; a failure is reported in a box.
    void SaveChartAsClick();

private:
    void plot();
    void useVerticalAxis(bool logarithmic);
    void labelDates(const BankrollChartLayout& layout);
    void shadeDrawdown(const ChartRange& range);

    MessageBoxes& m_boxes;
    std::filesystem::path m_workSpace;
    std::vector<ChartPoint> m_points;
    bool m_logarithmic = false;
    bool m_drawdownShown = false;
    QChartView* m_chartView = nullptr;
    QChart* m_chart = nullptr;                   // owned by m_chartView
    QLineSeries* m_series1 = nullptr;            // owned by m_chart
    QCategoryAxis* m_dateAxis = nullptr;         // owned by m_chart
    QValueAxis* m_decimalAxis = nullptr;         // owned by m_chart
    QLogValueAxis* m_logarithmicAxis = nullptr;  // owned by m_chart
    QAreaSeries* m_drawdownShade = nullptr;      // owned by m_chart, as are its two edges
    QLineSeries* m_shadeTop = nullptr;
    QLineSeries* m_shadeBottom = nullptr;
    QAction* m_saveChartAsMenuItem = nullptr;
    QAction* m_scaleMenuItem = nullptr;
    QAction* m_drawdownMenuItem = nullptr;
};

}  // namespace karvola::ui
