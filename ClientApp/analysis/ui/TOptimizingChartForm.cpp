#include "analysis/ui/TOptimizingChartForm.h"

#include <QAction>
#include <QAreaSeries>
#include <QBrush>
#include <QBuffer>
#include <QByteArray>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QLineSeries>
#include <QList>
#include <QLogValueAxis>
#include <QMargins>
#include <QPen>
#include <QPixmap>
#include <QPointF>
#include <QSet>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "analysis/BankrollChartLayout.h"
#include "common/ui/MessageBoxes.h"
#include "common/ui/QtText.h"
#include "validation/RiskFigures.h"

namespace karvola::ui {

namespace {

// The chart draws its title as HTML.
constexpr QLatin1String kTitleLineBreak("<br>");

QString titleLine() {
    return QStringLiteral("Bankroll Multiplier function in time");
}
QString bitmapFilter() {
    return QStringLiteral("Windows Bitmap BMP (*.bmp)");
}
QString pngFilter() {
    return QStringLiteral("PNG (*.png)");
}

}  // namespace

TOptimizingChartForm::TOptimizingChartForm(MessageBoxes& boxes, std::filesystem::path workSpace, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_boxes(boxes), m_workSpace(std::move(workSpace)) {
    setWindowTitle(QStringLiteral("Bankroll Multiplier Chart..."));
    // Shown after every simulation while the user goes on typing commands.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_chartView = new QChartView(this);
    m_chart = m_chartView->chart();
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chart->legend()->hide();
    QMargins margins = m_chart->margins();
    margins.setRight(margins.right() + 30);  // room for half of the last date label
    m_chart->setMargins(margins);

    // Added first, so that the line is drawn over it.
    m_shadeTop = new QLineSeries(m_chart);
    m_shadeBottom = new QLineSeries(m_chart);
    m_drawdownShade = new QAreaSeries(m_shadeTop, m_shadeBottom);
    m_drawdownShade->setParent(m_chart);
    m_drawdownShade->setObjectName(QStringLiteral("DrawdownShade"));
    m_drawdownShade->setPen(Qt::NoPen);
    m_drawdownShade->setBrush(QColor(70, 110, 200, 60));
    m_drawdownShade->hide();
    m_chart->addSeries(m_drawdownShade);

    m_series1 = new QLineSeries(m_chart);
    m_series1->setObjectName(QStringLiteral("Series1"));
    m_series1->setPen(QPen(QColor(Qt::red), 1.5));
    m_chart->addSeries(m_series1);

    m_dateAxis = new QCategoryAxis(m_chart);
    m_dateAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_dateAxis, Qt::AlignBottom);
    m_series1->attachAxis(m_dateAxis);
    m_drawdownShade->attachAxis(m_dateAxis);

    // Both scales stay in the chart and the hidden one holds no series: removing
    // an axis leaves its drawing behind until the event loop deletes it.
    m_decimalAxis = new QValueAxis(m_chart);
    m_decimalAxis->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_decimalAxis, Qt::AlignLeft);
    m_series1->attachAxis(m_decimalAxis);
    m_drawdownShade->attachAxis(m_decimalAxis);
    m_logarithmicAxis = new QLogValueAxis(m_chart);
    m_logarithmicAxis->setBase(10.0);
    m_logarithmicAxis->setLabelFormat(QStringLiteral("%g"));
    m_logarithmicAxis->hide();
    m_chart->addAxis(m_logarithmicAxis, Qt::AlignLeft);

    m_saveChartAsMenuItem = new QAction(QStringLiteral("Save Chart As..."), this);
    m_scaleMenuItem = new QAction(this);
    connect(m_saveChartAsMenuItem, &QAction::triggered, this, &TOptimizingChartForm::SaveChartAsClick);
    connect(m_scaleMenuItem, &QAction::triggered, this, &TOptimizingChartForm::toggleScale);
    m_chartView->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_chartView->addAction(m_saveChartAsMenuItem);
    m_chartView->addAction(m_scaleMenuItem);
    m_drawdownMenuItem = new QAction(QStringLiteral("Show Drawdown"), this);
    m_drawdownMenuItem->setCheckable(true);
    connect(m_drawdownMenuItem, &QAction::toggled, this, &TOptimizingChartForm::setDrawdownShown);
    m_chartView->addAction(m_drawdownMenuItem);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chartView);
    resize(800, 500);

    plot();
}

TOptimizingChartForm::~TOptimizingChartForm() = default;

void TOptimizingChartForm::showRecord(const SimulationRecord& record) {
    m_points = record.points;
    plot();
}

void TOptimizingChartForm::clearSeries() {
    m_points.clear();
    plot();
}

void TOptimizingChartForm::toggleScale() {
    m_logarithmic = !m_logarithmic;
    plot();
}

void TOptimizingChartForm::setDrawdownShown(bool shown) {
    if (shown == m_drawdownShown) return;
    m_drawdownShown = shown;
    m_drawdownMenuItem->setChecked(shown);
    plot();
}

std::optional<std::pair<double, double>> TOptimizingChartForm::shadedSpan() const {
    const QList<QPointF> top = m_shadeTop->points();
    if (!m_drawdownShade->isVisible() || top.size() != 2) return std::nullopt;
    return std::pair(top[0].x(), top[1].x());
}

QString TOptimizingChartForm::scaleToggleCaption() const {
    return m_scaleMenuItem->text();
}

QString TOptimizingChartForm::chartTitle() const {
    QString title = m_chart->title();
    return title.replace(kTitleLineBreak, QStringLiteral("\n"));
}

void TOptimizingChartForm::plot() {
    const BankrollChartLayout layout(m_points, m_logarithmic);
    ChartRange range = layout.range();
    // Emptied before the axis changes, so no axis ever holds a point it cannot map.
    m_series1->clear();
    m_shadeTop->clear();
    m_shadeBottom->clear();
    useVerticalAxis(m_logarithmic);
    if (m_logarithmic) {
        // A hair beyond the decades, or rounding in the axis drops their labels.
        range = {range.low * (1.0 - 1e-9), range.high * (1.0 + 1e-9)};
        m_logarithmicAxis->setRange(range.low, range.high);
    } else {
        m_decimalAxis->setRange(range.low, range.high);
        m_decimalAxis->applyNiceNumbers();
        range = {m_decimalAxis->min(), m_decimalAxis->max()};  // the edges as drawn
    }

    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(m_points.size()));
    for (std::size_t i = 0; i < m_points.size(); ++i) {
        points << QPointF(static_cast<double>(i + 1),
                          BankrollChartLayout::Plotted(m_points[i].bankroll, range, m_logarithmic));
    }
    m_series1->replace(points);
    labelDates(layout);
    shadeDrawdown(range);

    QString secondLine = m_logarithmic ? QStringLiteral("(logarithmic scale)") : QStringLiteral("(decimal scale)");
    if (m_drawdownShown && !m_points.empty()) secondLine += QStringLiteral(" | ") + Text(RiskSummary(m_points));
    m_chart->setTitle(titleLine() + kTitleLineBreak + secondLine);
    m_scaleMenuItem->setText(m_logarithmic ? QStringLiteral("Decimal Scale") : QStringLiteral("Logharitmic Scale"));
}

void TOptimizingChartForm::useVerticalAxis(bool logarithmic) {
    QAbstractAxis* wanted = logarithmic ? static_cast<QAbstractAxis*>(m_logarithmicAxis) : m_decimalAxis;
    QAbstractAxis* other = logarithmic ? static_cast<QAbstractAxis*>(m_decimalAxis) : m_logarithmicAxis;
    if (m_series1->attachedAxes().contains(wanted)) return;
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(m_series1), static_cast<QAbstractSeries*>(m_drawdownShade)}) {
        series->detachAxis(other);
    }
    other->hide();
    m_series1->attachAxis(wanted);
    m_drawdownShade->attachAxis(wanted);
    wanted->show();
}

void TOptimizingChartForm::labelDates(const BankrollChartLayout& layout) {
    for (const QString& label : m_dateAxis->categoriesLabels()) m_dateAxis->remove(label);
    m_dateAxis->setStartValue(1.0);
    m_dateAxis->setRange(1.0, static_cast<double>(std::max<std::size_t>(m_points.size(), 2)));
    for (const auto& label : layout.dateLabels())
        m_dateAxis->append(Text(label.text), static_cast<double>(label.index + 1));
}

// From the peak's bet (the first, for the bankroll of the start) to the trough's,
// over the whole height of the axis.
void TOptimizingChartForm::shadeDrawdown(const ChartRange& range) {
    const RiskFigures risk = MeasureRisk(m_points);
    if (!m_drawdownShown || !(risk.maximumDrawdown > 0.0)) {
        m_drawdownShade->hide();
        return;
    }
    double from = risk.drawdownPeak ? static_cast<double>(*risk.drawdownPeak + 1) : 1.0;
    double to = static_cast<double>(risk.drawdownTrough + 1);
    if (from == to) {
        // A fall within one bet still gets a visible band.
        from -= 0.5;
        to += 0.5;
    }
    m_shadeTop->replace({QPointF(from, range.high), QPointF(to, range.high)});
    m_shadeBottom->replace({QPointF(from, range.low), QPointF(to, range.low)});
    m_drawdownShade->show();
}

bool TOptimizingChartForm::saveChart(const QString& file) const {
    LocalFileSystem disk;
    return saveChart(disk, file);
}

// Encoded in memory first: QPixmap::save into the file itself would cut the old
// picture short before it knew whether the new one fits on the disk.
bool TOptimizingChartForm::saveChart(FileSystem& files, const QString& file) const {
    const QPixmap picture = m_chartView->grab();
    if (picture.isNull()) return false;
    const bool png = file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, png ? "PNG" : "BMP")) return false;
    return WriteFileAtomically(files, PathOf(file),
                               std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size())));
}

void TOptimizingChartForm::SaveChartAsClick() {
    QFileDialog dialog(this, QStringLiteral("Save Chart As..."));
    if (!m_workSpace.empty()) dialog.setDirectory(PathText(m_workSpace));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({bitmapFilter(), pngFilter()});
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == pngFilter() ? QStringLiteral("png") : QStringLiteral("bmp"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;

    const QString file = dialog.selectedFiles().constFirst();
    if (!saveChart(file)) {
        m_boxes.inform(this, QStringLiteral("Error"),
                       QStringLiteral("Unable to save the chart to ") + QDir::toNativeSeparators(file));
    }
}

}  // namespace karvola::ui
