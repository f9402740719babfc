#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "database/basic_record_t.h"

namespace karvola::testing {

// Favourites priced from `from` to `to` win `extra` more often than their price says.
struct Edge {
    double extra = 0.0;
    float from = 0.0f;
    float to = 0.0f;
};

// Matches priced by a bookmaker with a 5% margin. Each result is drawn from the
// normalised inverse odds of the prices as shown, which makes every rule lose
// the margin on average; a planted edge makes favourites priced in a window win
// more often than their price says. mt19937's output is fixed by the standard,
// the mapping to numbers is ours (the library's distributions are not portable).
class SyntheticMatches {
public:
    explicit SyntheticMatches(std::uint32_t seed) : m_engine(seed) {}

    basic_record_t match(int day, Edge edge = {}) {
        const double home = uniform(0.15, 0.75);
        const double draw = uniform(0.20, 0.30) * (1.0 - home) / 0.75;
        basic_record_t record;
        record.odds1 = twoDecimals(1.0 / (home * 1.05));
        record.odds0 = twoDecimals(1.0 / (draw * 1.05));
        record.odds2 = twoDecimals(1.0 / ((1.0 - home - draw) * 1.05));
        record.date = dateOf(day);
        record.teams = "Home - Away";
        record.category = "League";

        const double inverse[3] = {1.0 / record.odds1, 1.0 / record.odds0, 1.0 / record.odds2};
        const double sum = inverse[0] + inverse[1] + inverse[2];
        double p[3] = {inverse[0] / sum, inverse[1] / sum, inverse[2] / sum};
        const float favourite = std::min({record.odds1, record.odds0, record.odds2});
        const int f = favourite == record.odds1 ? 0 : favourite == record.odds0 ? 1 : 2;
        if (edge.extra > 0.0 && favourite >= edge.from && favourite <= edge.to) {
            const double raised = std::min(0.97, p[f] + edge.extra);
            for (int k = 0; k < 3; ++k) p[k] = k == f ? raised : p[k] * (1.0 - raised) / (1.0 - p[f]);
        }
        const double u = uniform(0.0, 1.0);
        record.result = u < p[0] ? '1' : u < p[0] + p[1] ? '0' : '2';
        return record;
    }

    // count matches, two a day from 01/08/2010; those from `edgeFrom` to `edgeTo`
    // (0-based, exclusive end) carry the edge.
    ResearchDomain domain(int count, Edge edge = {}, int edgeFrom = 0, int edgeTo = 0) {
        ResearchDomain records;
        for (int k = 0; k < count; ++k) records.push_back(match(k / 2, k >= edgeFrom && k < edgeTo ? edge : Edge{}));
        return records;
    }

    static std::string dateOf(int day) {
        // Day 0 is 01/08/2010; months of 30 days are enough for distinct dates in order.
        const int month = 8 + day / 30;
        const int year = 2010 + (month - 1) / 12;
        char text[48];
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", day % 30 + 1, (month - 1) % 12 + 1, year);
        return text;
    }

private:
    double uniform(double from, double to) {
        return from + (to - from) * (static_cast<double>(m_engine()) / 4294967296.0);
    }

    static float twoDecimals(double odds) { return static_cast<float>(std::round(odds * 100.0) / 100.0); }

    std::mt19937 m_engine;
};

}  // namespace karvola::testing
