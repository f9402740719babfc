#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "UpcomingMatches.h"
#include "wizard/FootballDataImport.h"

namespace karvola::service {

// The matches of a data source text, in its order (goals are not read: a match
// still to be played has "*"). Throws std::logic_error with the wizard's text
// for a broken source.
[[nodiscard]] std::vector<UpcomingEvent> ReadDataSourceMatches(std::string_view text);

// The matches of a football-data.co.uk CSV text (fixtures without goals, or
// results), read as the program's import reads them, times in UK time.
// What the import could not take goes to `problems`, under `name`.
[[nodiscard]] std::vector<UpcomingEvent> ReadFootballDataMatches(const std::filesystem::path& name,
                                                                 std::string_view text,
                                                                 std::vector<FootballDataProblem>& problems);

}  // namespace karvola::service
