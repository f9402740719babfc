#pragma once

#include <string>
#include <vector>

#include "analysis/Simulation.h"

namespace karvola {

// sbp: the rows as an aligned table with a header line.
std::vector<std::string> FormatBetsPreviewTable(const std::vector<BetsPreviewRow>& rows);
// The rows as CSV (RFC 4180): a header row with the twelve column names, CR LF line ends.
std::string FormatBetsPreviewCsv(const std::vector<BetsPreviewRow>& rows);

}  // namespace karvola
