#pragma once

#include <string>

namespace karvola {

// One past match as the data base file holds it: texts, converted to numbers
// only when the research domain is built.
struct data_base_record_t {
    std::string date;  // DD/MM/YYYY
    std::string category;
    std::string team1;
    std::string team2;
    std::string odds1;
    std::string odds0;
    std::string odds2;
    char result = '?';  // '1' home win, '0' draw, '2' away win, '?' no result
    char flag = '0';    // stored and copied, never interpreted
};

}  // namespace karvola
