#include "analysis/Simulation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "analysis/PredictionBets.h"
#include "analysis/WvectorRule.h"
#include "expressions/PredictExpression.h"
#include "terminal/NumberTexts.h"

namespace karvola {

namespace {

constexpr std::string_view kDomainError = "Domain error";

// What both simulations need to know about one bet.
struct SimulatedBet {
    const char* decision = "";
    float odds = 0.0f;       // the odds the bet is settled at
    float shownOdds = 0.0f;  // "Odds for Decision"
    bool won = false;
};

// The bankroll run shared by sim and pe_sim: stakes a fixed fraction of the
// current bankroll on every bet and records the row and chart point of each.
class BankrollRun {
public:
    BankrollRun(SimulationRecord& record, float fraction, char decimalSeparator)
        : m_record(record), m_fraction(fraction), m_separator(decimalSeparator) {
        m_record.rows.clear();
    }

    void settle(const basic_record_t& match, const SimulatedBet& bet) {
        ++m_count;
        const float stake = m_fraction * m_bankroll;
        m_bankroll -= stake;
        if (bet.won) {
            // Payout in extended precision, rounded once when stored.
            m_bankroll = static_cast<float>(static_cast<long double>(m_bankroll) +
                                            static_cast<long double>(bet.odds) * static_cast<long double>(stake));
        }

        BetsPreviewRow row;
        row.number = std::to_string(m_count);
        row.date = match.date;
        row.category = match.category;
        row.teams = match.teams;
        row.odds1 = FormatTwoDecimals(static_cast<double>(match.odds1));
        row.odds0 = FormatTwoDecimals(static_cast<double>(match.odds0));
        row.odds2 = FormatTwoDecimals(static_cast<double>(match.odds2));
        row.decision = bet.decision;
        row.decisionOdds = FormatTwoDecimals(static_cast<double>(bet.shownOdds));
        row.stake = FormatGeneral(static_cast<double>(stake), m_separator);
        row.result = bet.won ? std::string("won") : std::string("lost, won odds") + match.result;
        row.bankroll = FormatGeneral(static_cast<double>(m_bankroll), m_separator);
        m_record.rows.push_back(std::move(row));
        m_record.points.push_back(ChartPoint{m_bankroll, match.date});
    }

    void finish(TerminalSink& sink) const {
        sink.appendLine(" Bankroll multiplier " + FormatGeneral(static_cast<double>(m_bankroll), m_separator));
    }

private:
    SimulationRecord& m_record;
    float m_fraction;
    char m_separator;
    float m_bankroll = 1.0f;
    unsigned m_count = 0;
};

const char* wvectorDecision(WvectorOutcome outcome) {
    switch (outcome) {
        case OUTCOME_HOME:
            return "bet1";
        case OUTCOME_DRAW:
            return "bet0";
        case OUTCOME_AWAY:
            return "bet2";
        case OUTCOME_NONE:
            break;
    }
    return "";
}

}  // namespace

void RunWvectorSimulation(TerminalSink& sink, const wvector& rule, float fraction,
                          std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                          SimulationRecord& record) {
    record.points.clear();
    if (!range) return;

    BankrollRun run(record, fraction, decimalSeparator);
    for (const basic_record_t& match : *range) {
        const WvectorOutcome outcome = DecideWvector(rule, match.odds1, match.odds0, match.odds2);
        if (outcome == OUTCOME_NONE) continue;
        const float odds = OddsOf(match, outcome);
        const char digit = static_cast<char>('0' + outcome);
        run.settle(match, SimulatedBet{wvectorDecision(outcome), odds, odds, match.result == digit});
    }
    run.finish(sink);
}

void RunPredictionSimulation(TerminalSink& sink, const std::string& expression, float fraction,
                             std::optional<std::span<const basic_record_t>> range, char decimalSeparator,
                             SimulationRecord& record) {
    record.points.clear();
    if (!range) return;

    PredictExpression rule(expression);
    BankrollRun run(record, fraction, decimalSeparator);
    bool warned = false;
    for (const basic_record_t& match : *range) {
        std::uint8_t prediction = PredictExpression::NO_BET;
        try {
            prediction = rule.evaluate(match.odds1, match.odds0, match.odds2);
        } catch (const std::logic_error& error) {
            // A calculation that has no value for this match only makes it no bet.
            if (error.what() != kDomainError) throw;
            if (!warned) {
                sink.appendLine("Warning: domain error");
                warned = true;
            }
            continue;
        }
        if (prediction == PredictExpression::NO_BET) continue;
        const PredictionBet bet = PredictionBetFor(prediction, match);
        run.settle(match, SimulatedBet{bet.decision, bet.odds, bet.shownOdds, bet.won});
    }
    run.finish(sink);
}

// ---------------------------------------------------------------------------
// Bets Preview as text

namespace {

using Cells = std::array<std::string_view, 12>;

Cells cellsOf(const BetsPreviewRow& row) {
    return {row.number, row.date,     row.category,     row.teams, row.odds1,  row.odds0,
            row.odds2,  row.decision, row.decisionOdds, row.stake, row.result, row.bankroll};
}

Cells headerCells() {
    Cells header;
    std::copy(std::begin(kBetsPreviewColumns), std::end(kBetsPreviewColumns), header.begin());
    return header;
}

// The length of the UTF-8 sequence a byte starts; 0 for a byte no sequence starts with.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = utf8SequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Texts come from 8-bit data bases: a cell that is valid UTF-8 is as wide as its
// characters, any other as wide as its bytes.
std::size_t displayWidth(std::string_view text) {
    if (!isValidUtf8(text)) return text.size();
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string formatLine(const Cells& cells, const std::array<std::size_t, 12>& widths) {
    std::string line;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        if (column > 0) line += "  ";
        line += cells[column];
        line.append(widths[column] - displayWidth(cells[column]), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

std::string csvCell(std::string_view cell) {
    if (cell.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(cell);
    std::string quoted = "\"";
    for (const char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

std::vector<std::string> FormatBetsPreviewTable(const std::vector<BetsPreviewRow>& rows) {
    const Cells header = headerCells();
    std::array<std::size_t, 12> widths{};
    for (std::size_t column = 0; column < header.size(); ++column) widths[column] = displayWidth(header[column]);
    for (const BetsPreviewRow& row : rows) {
        const Cells cells = cellsOf(row);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            widths[column] = std::max(widths[column], displayWidth(cells[column]));
        }
    }

    std::vector<std::string> lines;
    lines.reserve(rows.size() + 1);
    lines.push_back(formatLine(header, widths));
    for (const BetsPreviewRow& row : rows) lines.push_back(formatLine(cellsOf(row), widths));
    return lines;
}

std::string FormatBetsPreviewCsv(const std::vector<BetsPreviewRow>& rows) {
    std::string csv;
    const auto appendRecord = [&csv](const Cells& cells) {
        for (std::size_t column = 0; column < cells.size(); ++column) {
            if (column > 0) csv += ',';
            csv += csvCell(cells[column]);
        }
        csv += "\r\n";
    };
    appendRecord(headerCells());
    for (const BetsPreviewRow& row : rows) appendRecord(cellsOf(row));
    return csv;
}

// ---------------------------------------------------------------------------
// Bankroll chart as SVG

namespace {

constexpr double kWidth = 900.0;
constexpr double kHeight = 500.0;
constexpr double kPlotLeft = 120.0;   // room for labels like "3.40282346638529E38"
constexpr double kPlotRight = 850.0;  // room for half a date label
constexpr double kPlotTop = 70.0;
constexpr double kPlotBottom = 430.0;
constexpr std::size_t kMaxDateLabels = 6;

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

// Character data and attribute values. Bytes that are not UTF-8 are read as
// Latin-1 (the data bases' 8-bit texts); control characters XML cannot hold become "?".
std::string xmlText(std::string_view text) {
    const bool utf8 = isValidUtf8(text);
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                escaped += "&amp;";
                continue;
            case '<':
                escaped += "&lt;";
                continue;
            case '>':
                escaped += "&gt;";
                continue;
            case '"':
                escaped += "&quot;";
                continue;
            case '\'':
                escaped += "&apos;";
                continue;
            default:
                break;
        }
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            escaped += '?';
        } else if (byte >= 0x80 && !utf8) {
            escaped += static_cast<char>(0xC0 | (byte >> 6));
            escaped += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The vertical axis: maps a bankroll to a height and lists its ticks.
struct ValueAxis {
    bool logarithmic = false;
    double low = 0.0;  // linear: the value; logarithmic: the decimal exponent
    double high = 1.0;
    std::vector<double> ticks;  // values

    // Values beyond the axis (infinite ones, and on the logarithmic scale zero and
    // negative bankrolls) are drawn at its nearer end; NaN at the bottom.
    [[nodiscard]] double y(double value) const {
        double position = 0.0;  // 0 at the bottom, 1 at the top
        if (std::isnan(value)) {
            position = 0.0;
        } else if (logarithmic) {
            position = value > 0.0 ? (std::log10(value) - low) / (high - low) : 0.0;
        } else {
            position = (value - low) / (high - low);
        }
        position = std::clamp(position, 0.0, 1.0);
        return kPlotBottom - position * (kPlotBottom - kPlotTop);
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

ValueAxis linearAxis(const std::vector<double>& values) {
    ValueAxis axis;
    double low = 0.0;
    double high = 1.0;
    if (!values.empty()) {
        low = *std::min_element(values.begin(), values.end());
        high = *std::max_element(values.begin(), values.end());
        if (low == high) {
            const double margin = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
            low -= margin;
            high += margin;
        }
    }
    const double step = niceStep(high - low);
    const double first = std::floor(low / step);
    const double last = std::ceil(high / step);
    axis.low = first * step;
    axis.high = last * step;
    for (double k = first; k <= last; k += 1.0) axis.ticks.push_back(k * step);
    return axis;
}

ValueAxis logarithmicAxis(const std::vector<double>& values) {
    ValueAxis axis;
    axis.logarithmic = true;
    double low = 0.0;
    double high = 1.0;
    bool anyPositive = false;
    for (const double value : values) {
        if (value <= 0.0) continue;
        const double exponent = std::log10(value);
        if (!anyPositive) {
            low = high = exponent;
            anyPositive = true;
        }
        low = std::min(low, exponent);
        high = std::max(high, exponent);
    }
    low = std::floor(low);
    high = std::ceil(high);
    if (high <= low) high = low + 1.0;
    axis.low = low;
    axis.high = high;
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
    std::vector<double> values;
    values.reserve(points.size());
    for (const ChartPoint& point : points) {
        // Infinite bankrolls are drawn at the edge but do not stretch the axis.
        if (std::isfinite(point.bankroll)) values.push_back(static_cast<double>(point.bankroll));
    }
    const ValueAxis axis = logarithmic ? logarithmicAxis(values) : linearAxis(values);

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
        const double y = axis.y(tick);
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
    const auto y = [&axis](float bankroll) { return axis.y(static_cast<double>(bankroll)); };

    if (count > 0) {
        const std::size_t labels = std::min(count, kMaxDateLabels);
        std::size_t previous = std::numeric_limits<std::size_t>::max();
        for (std::size_t k = 0; k < labels; ++k) {
            const std::size_t index = labels < 2 ? 0 : k * (count - 1) / (labels - 1);
            if (index == previous) continue;
            previous = index;
            appendLine(svg, x(index), kPlotBottom, x(index), kPlotBottom + 5, "black");
            appendText(svg, x(index), kPlotBottom + 20, "middle", 11, points[index].label);
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
