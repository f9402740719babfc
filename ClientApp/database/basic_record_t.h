#pragma once

#include <string>
#include <vector>

namespace karvola {

// One match of the research domain as the betting rules see it.
struct basic_record_t {
    float odds1 = 0.0f;
    float odds0 = 0.0f;
    float odds2 = 0.0f;
    std::string date;
    std::string teams;  // team1 + " - " + team2
    std::string category;
    char result = '?';
};

// The research domain, in data base (file) order.
using ResearchDomain = std::vector<basic_record_t>;

}  // namespace karvola
