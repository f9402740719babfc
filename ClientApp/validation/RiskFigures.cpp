#include "validation/RiskFigures.h"

#include <charconv>
#include <chrono>
#include <string>

#include "common/NumberTexts.h"
#include "validation/ValidationReports.h"

namespace karvola {

namespace {

std::optional<std::chrono::sys_days> dayOf(std::string_view date) {
    if (date.size() != 10 || date[2] != '/' || date[5] != '/') return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t length) -> std::optional<int> {
        int value = 0;
        const char* first = date.data() + at;
        const auto [end, error] = std::from_chars(first, first + length, value);
        if (error != std::errc{} || end != first + length) return std::nullopt;
        return value;
    };
    const auto day = field(0, 2);
    const auto month = field(3, 2);
    const auto year = field(6, 4);
    if (!day || !month || !year) return std::nullopt;
    const std::chrono::year_month_day calendar{std::chrono::year(*year),
                                               std::chrono::month(static_cast<unsigned>(*month)),
                                               std::chrono::day(static_cast<unsigned>(*day))};
    if (!calendar.ok()) return std::nullopt;
    return std::chrono::sys_days(calendar);
}

// Follows the run bet by bet: the peak so far and the spell below it.
class RiskMeter {
public:
    explicit RiskMeter(std::span<const ChartPoint> points) : m_points(points) {}

    RiskFigures measure() {
        m_figures.bets = m_points.size();
        for (std::size_t k = 0; k < m_points.size(); ++k) {
            followLosses(k);
            const float bankroll = m_points[k].bankroll;
            if (bankroll < m_peakValue) {
                underWater(k, bankroll);
            } else if (bankroll >= m_peakValue) {
                // Level with the peak counts as back: the peak moves on to this bet.
                if (m_spell) {
                    m_spell->end = k;
                    m_spell->recovered = true;
                    close();
                }
                m_peakValue = bankroll;
                m_peak = k;
            }
        }
        if (m_spell) close();
        if (!m_points.empty()) m_figures.finalMultiplier = m_points.back().bankroll;
        return m_figures;
    }

private:
    void followLosses(std::size_t k) {
        if (m_points[k].won) {
            m_losses = 0;
            return;
        }
        if (++m_losses > m_figures.longestLosingRun) {
            m_figures.longestLosingRun = m_losses;
            m_figures.losingRunFirst = k + 1 - m_losses;
        }
    }

    void underWater(std::size_t k, float bankroll) {
        if (!m_spell) m_spell = RiskFigures::Spell{m_peak, k, 0, false, std::nullopt};
        ++m_spell->bets;
        m_spell->end = k;
        const auto drawdown = static_cast<double>((static_cast<long double>(m_peakValue) - bankroll) / m_peakValue);
        if (drawdown > m_figures.maximumDrawdown) {
            m_figures.maximumDrawdown = drawdown;
            m_figures.drawdownPeak = m_peak;
            m_figures.drawdownTrough = k;
        }
    }

    void close() {
        RiskFigures::Spell spell = *m_spell;
        m_spell.reset();
        spell.days = DaysBetween(m_points[spell.peak.value_or(0)].label, m_points[spell.end].label);
        if (!m_figures.longestInBets || spell.bets > m_figures.longestInBets->bets) m_figures.longestInBets = spell;
        if (spell.days && (!m_figures.longestInDays || !m_figures.longestInDays->days ||
                           *spell.days > *m_figures.longestInDays->days)) {
            m_figures.longestInDays = spell;
        }
    }

    std::span<const ChartPoint> m_points;
    RiskFigures m_figures;
    float m_peakValue = 1.0f;
    std::optional<std::size_t> m_peak;
    std::optional<RiskFigures::Spell> m_spell;
    std::size_t m_losses = 0;
};

// "03/10/2012 to 19/11/2013", or "start to ..." for a spell from the first bankroll.
std::string spellDates(std::span<const ChartPoint> points, const RiskFigures::Spell& spell) {
    std::string text = spell.peak ? points[*spell.peak].label : std::string("start");
    text += " to " + points[spell.end].label;
    if (!spell.recovered) text += ", not recovered";
    return text;
}

// Where the figures' values start.
constexpr std::size_t kRiskValueColumn = 30;

std::string betsText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " bet" : " bets");
}

bool sameSpell(const RiskFigures::Spell& a, const RiskFigures::Spell& b) {
    return a.peak == b.peak && a.end == b.end;
}

}  // namespace

RiskFigures MeasureRisk(std::span<const ChartPoint> points) {
    return RiskMeter(points).measure();
}

std::optional<int> DaysBetween(std::string_view from, std::string_view to) {
    const auto first = dayOf(from);
    const auto last = dayOf(to);
    if (!first || !last) return std::nullopt;
    return static_cast<int>((*last - *first).count());
}

void WriteRiskReport(TerminalSink& sink, std::span<const ChartPoint> points) {
    if (points.empty()) {
        sink.appendLine("No bankroll run to measure: the last sim or pe_sim placed no bet, or none ran yet.");
        return;
    }
    const RiskFigures figures = MeasureRisk(points);
    // A report of this program's own, not the terminal's general form: a point whatever the locale.
    const auto general = [](float value) { return FormatGeneral(static_cast<double>(value), '.'); };
    // A figure, and where it lies on a line of its own below it, so that every
    // line fits the window's terminal.
    const auto write = [&sink](const char* label, const std::string& value, const std::string& detail = {}) {
        std::string line = "  " + std::string(label);
        line.resize(kRiskValueColumn, ' ');
        sink.appendLine(line + value);
        if (!detail.empty()) sink.appendLine(std::string(kRiskValueColumn, ' ') + detail);
    };

    sink.appendLine("Risk of the last simulation: " + betsText(figures.bets) + " from " + points.front().label +
                    " to " + points.back().label);
    write("Final bankroll multiplier:", general(figures.finalMultiplier));
    if (figures.maximumDrawdown > 0.0) {
        const ChartPoint& trough = points[figures.drawdownTrough];
        const float peak = figures.drawdownPeak ? points[*figures.drawdownPeak].bankroll : 1.0f;
        const std::string peakDate = figures.drawdownPeak ? points[*figures.drawdownPeak].label : std::string("start");
        // Two decimals are enough beside the share, which carries the precise figure.
        write("Maximum drawdown:",
              FormatPercentOneDecimal(figures.maximumDrawdown) + " of the peak (" + FormatTwoDecimals(peak) +
                  " down to " + FormatTwoDecimals(trough.bankroll) + ")",
              peakDate + " to " + trough.label);
    } else {
        write("Maximum drawdown:", "0.0% (never below a peak)");
    }
    if (figures.longestLosingRun > 0) {
        write("Longest losing run:", betsText(figures.longestLosingRun),
              points[figures.losingRunFirst].label + " to " +
                  points[figures.losingRunFirst + figures.longestLosingRun - 1].label);
    } else {
        write("Longest losing run:", "none");
    }

    const auto& byBets = figures.longestInBets;
    const auto& byDays = figures.longestInDays;
    const auto days = [](const RiskFigures::Spell& spell) { return std::to_string(spell.days.value_or(0)) + " days"; };
    if (!byBets) {
        write("Longest time under water:", "none");
    } else if (!byDays || sameSpell(*byBets, *byDays)) {
        write("Longest time under water:", betsText(byBets->bets) + (byBets->days ? ", " + days(*byBets) : ""),
              spellDates(points, *byBets));
    } else {
        write("Longest time under water:", betsText(byBets->bets), spellDates(points, *byBets));
        write("", days(*byDays), spellDates(points, *byDays));
    }
}

std::string RiskSummary(std::span<const ChartPoint> points) {
    if (points.empty()) return {};
    // Short enough for the chart's title; the shading shows where the drawdown lies.
    const RiskFigures figures = MeasureRisk(points);
    std::string summary = "max. drawdown " + FormatPercentOneDecimal(figures.maximumDrawdown) + ", losing run " +
                          std::to_string(figures.longestLosingRun);
    if (figures.longestInBets) {
        summary += ", under water " + betsText(figures.longestInBets->bets);
        if (figures.longestInBets->days) summary += " / " + std::to_string(*figures.longestInBets->days) + " days";
    }
    return summary + ", multiplier " + FormatTwoDecimals(static_cast<double>(figures.finalMultiplier));
}

}  // namespace karvola
