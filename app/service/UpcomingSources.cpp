#include "UpcomingSources.h"

#include <string>

#include "wizard/DataSourceReader.h"

namespace karvola::service {

std::vector<UpcomingEvent> ReadDataSourceMatches(std::string_view text) {
    std::vector<UpcomingEvent> events;
    DataSourceReader source(text);
    while (source.ReadRecord()) {
        const data_source_record_t& record = source.record();
        events.push_back({.kickOff = source.startTime(),
                          .category = record.category,
                          .teams = record.team1 + " - " + record.team2,
                          .offers = record.offers});
    }
    return events;
}

std::vector<UpcomingEvent> ReadFootballDataMatches(const std::filesystem::path& name, std::string_view text,
                                                   std::vector<FootballDataProblem>& problems) {
    // Fixture lists are what the upcoming matches are made of: rows without goals stay.
    FootballDataImporter importer({.zone = std::nullopt, .keepFixtures = true});
    importer.addFile(name, text);
    const std::vector<FootballDataProblem> found = importer.report().allProblems();
    problems.insert(problems.end(), found.begin(), found.end());
    return ReadDataSourceMatches(importer.dataSource());
}

}  // namespace karvola::service
