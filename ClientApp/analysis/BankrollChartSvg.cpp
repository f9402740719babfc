#include "analysis/BankrollChartSvg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/BankrollChartLayout.h"
#include "common/NumberTexts.h"
#include "common/TextEncoding.h"
#include "common/XmlText.h"

namespace karvola {

namespace {

constexpr double kWidth = 900.0;
constexpr double kHeight = 500.0;
constexpr double kPlotLeft = 120.0;   // room for labels like "3.40282346638529E38"
constexpr double kPlotRight = 850.0;  // room for half a date label
constexpr double kPlotTop = 70.0;
constexpr double kPlotBottom = 430.0;

// Coordinates with a point as decimal separator, whatever the locale.
std::string number(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
    std::string text(buffer.data(), result.ptr);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

// Character data: bytes that are not UTF-8 are read as Latin-1 (the data
// bases' 8-bit texts); control characters XML cannot hold become "?".
std::string xmlText(std::string_view text) {
    const bool utf8 = IsValidUtf8(text);
    std::string converted;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            converted += '?';
        } else if (byte >= 0x80 && !utf8) {
            converted += static_cast<char>(0xC0 | (byte >> 6));
            converted += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            converted += c;
        }
    }
    return XmlCharacterData(converted);
}

// The vertical axis: the layout's span widened to its ticks, mapping a
// bankroll to a height.
struct ValueAxis {
    bool logarithmic = false;
    ChartRange range;           // the bankrolls at the bottom and the top
    std::vector<double> ticks;  // values

    [[nodiscard]] double y(float bankroll) const {
        const double value = BankrollChartLayout::Plotted(bankroll, range, logarithmic);
        const double position =
            logarithmic ? (std::log10(value) - std::log10(range.low)) / (std::log10(range.high) - std::log10(range.low))
                        : (value - range.low) / (range.high - range.low);
        return kPlotBottom - std::clamp(position, 0.0, 1.0) * (kPlotBottom - kPlotTop);
    }
};

// 1, 2 or 5 times a power of ten, giving about five steps over the span.
double niceStep(double span) {
    const double raw = span / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normalized = raw / magnitude;
    const double factor = normalized < 1.5 ? 1.0 : normalized < 3.0 ? 2.0 : normalized < 7.0 ? 5.0 : 10.0;
    return factor * magnitude;
}

ValueAxis linearAxis(const ChartRange& range) {
    ValueAxis axis;
    const double step = niceStep(range.high - range.low);
    const double first = std::floor(range.low / step);
    const double last = std::ceil(range.high / step);
    axis.range = {first * step, last * step};
    for (double k = first; k <= last; k += 1.0) axis.ticks.push_back(k * step);
    return axis;
}

// The layout's span is whole decades already.
ValueAxis logarithmicAxis(const ChartRange& range) {
    ValueAxis axis;
    axis.logarithmic = true;
    axis.range = range;
    const double low = std::round(std::log10(range.low));
    const double high = std::round(std::log10(range.high));
    const double step = std::ceil((high - low) / 8.0);  // at most about eight decades labelled
    for (double exponent = low; exponent <= high; exponent += step) axis.ticks.push_back(std::pow(10.0, exponent));
    return axis;
}

void appendText(std::string& svg, double x, double y, const char* anchor, int size, std::string_view text) {
    svg += "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\" font-size=\"" +
           std::to_string(size) + "\">" + xmlText(text) + "</text>\n";
}

void appendLine(std::string& svg, double x1, double y1, double x2, double y2, const char* stroke) {
    svg += "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) + "\" y2=\"" + number(y2) +
           "\" stroke=\"" + stroke + "\" stroke-width=\"1\"/>\n";
}

}  // namespace

std::string RenderBankrollChartSvg(const std::vector<ChartPoint>& points, bool logarithmic) {
    const BankrollChartLayout layout(points, logarithmic);
    const ValueAxis axis = logarithmic ? logarithmicAxis(layout.range()) : linearAxis(layout.range());

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + number(kWidth) + "\" height=\"" +
           number(kHeight) + "\" viewBox=\"0 0 " + number(kWidth) + " " + number(kHeight) +
           "\" font-family=\"sans-serif\">\n";
    svg +=
        "<rect x=\"0\" y=\"0\" width=\"" + number(kWidth) + "\" height=\"" + number(kHeight) + "\" fill=\"white\"/>\n";
    appendText(svg, kWidth / 2, 28, "middle", 16, "Bankroll Multiplier function in time");
    appendText(svg, kWidth / 2, 50, "middle", 13, logarithmic ? "(logarithmic scale)" : "(decimal scale)");

    // Grid lines and value labels.
    for (const double tick : axis.ticks) {
        const double y = axis.y(static_cast<float>(tick));
        appendLine(svg, kPlotLeft, y, kPlotRight, y, "#dddddd");
        appendLine(svg, kPlotLeft - 5, y, kPlotLeft, y, "black");
        appendText(svg, kPlotLeft - 8, y + 4, "end", 11, FormatGeneral(tick));
    }
    appendLine(svg, kPlotLeft, kPlotTop, kPlotLeft, kPlotBottom, "black");
    appendLine(svg, kPlotLeft, kPlotBottom, kPlotRight, kPlotBottom, "black");

    // Points at equal horizontal steps; a single point stands in the middle.
    const std::size_t count = points.size();
    const auto x = [count](std::size_t index) {
        if (count < 2) return (kPlotLeft + kPlotRight) / 2;
        return kPlotLeft + (kPlotRight - kPlotLeft) * static_cast<double>(index) / static_cast<double>(count - 1);
    };
    const auto y = [&axis](float bankroll) { return axis.y(bankroll); };

    if (count > 0) {
        for (const auto& label : layout.dateLabels()) {
            appendLine(svg, x(label.index), kPlotBottom, x(label.index), kPlotBottom + 5, "black");
            appendText(svg, x(label.index), kPlotBottom + 20, "middle", 11, label.text);
        }

        svg += "<polyline fill=\"none\" stroke=\"red\" stroke-width=\"1.5\" points=\"";
        for (std::size_t index = 0; index < count; ++index) {
            if (index > 0) svg += ' ';
            svg += number(x(index)) + "," + number(y(points[index].bankroll));
        }
        svg += "\"/>\n";
        if (count == 1) {
            svg += "<circle cx=\"" + number(x(0)) + "\" cy=\"" + number(y(points[0].bankroll)) +
                   "\" r=\"3\" fill=\"red\"/>\n";
        }
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace karvola
