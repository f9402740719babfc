#include "UpcomingFolder.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "RequestLog.h"
#include "UpcomingSources.h"

namespace karvola::service {
namespace {

namespace fs = std::filesystem;

std::string LowerCaseExtension(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension;
}

bool IsUpcomingFile(const fs::path& file) {
    const std::string extension = LowerCaseExtension(file);
    return extension == ".txt" || extension == ".csv";
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

UpcomingFolder::UpcomingFolder(std::filesystem::path contentFolder, ContentReport report,
                               std::optional<std::int64_t> shiftedStart)
    : m_contentFolder(std::move(contentFolder)), m_report(std::move(report)), m_shiftedStart(shiftedStart) {
    rebuild(entriesNow());
}

std::shared_ptr<const UpcomingMatches> UpcomingFolder::current() {
    const Entries entries = entriesNow();
    const std::scoped_lock lock(m_mutex);
    if (entries != m_entries) rebuild(entries);
    return m_matches;
}

UpcomingFolder::Entries UpcomingFolder::entriesNow() const {
    Entries entries;
    std::error_code error;
    for (fs::directory_iterator entry(m_contentFolder / kUpcomingFolderName, error), end; !error && entry != end;
         entry.increment(error)) {
        if (IsUpcomingFile(entry->path()))
            entries.push_back({entry->path().filename().string(), StampOf(entry->path())});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

void UpcomingFolder::rebuild(const Entries& entries) {
    std::vector<UpcomingEvent> events;
    std::size_t files = 0;
    for (const Entry& entry : entries) {
        std::optional<std::vector<UpcomingEvent>> matches = readMatches(entry);
        if (!matches) continue;
        ++files;
        events.insert(events.end(), std::make_move_iterator(matches->begin()), std::make_move_iterator(matches->end()));
    }
    const std::int64_t shift = m_shiftedStart ? ShiftKickOffs(events, *m_shiftedStart) : 0;
    std::string note =
        "upcoming matches: " + Counted(events.size(), "match", "matches") + " from " + Counted(files, "file", "files");
    if (m_shiftedStart) note += ", kick-offs moved by " + std::to_string(shift) + " s";
    m_matches = std::make_shared<const UpcomingMatches>(std::move(events));
    m_entries = entries;
    m_report(note);
}

std::optional<std::vector<UpcomingEvent>> UpcomingFolder::readMatches(const Entry& entry) const {
    const std::string name = std::string(kUpcomingFolderName) + "/" + entry.name;
    bool failed = false;
    const auto text =
        ReadContentFile(m_contentFolder, m_contentFolder / kUpcomingFolderName / entry.name, name, m_report, failed);
    if (!text) return std::nullopt;

    std::vector<UpcomingEvent> events;
    if (LowerCaseExtension(entry.name) == ".csv") {
        std::vector<FootballDataProblem> problems;
        events = ReadFootballDataMatches(name, *text, problems);
        const auto skipped = std::find_if(problems.begin(), problems.end(), [](const FootballDataProblem& problem) {
            return problem.effect == FootballDataProblem::Effect::FileSkipped;
        });
        if (skipped != problems.end()) {
            m_report(name + " is left out: " + skipped->reason);
            return std::nullopt;
        }
        if (!problems.empty()) {
            m_report(FormatFootballDataProblem(problems.front()) +
                     (problems.size() > 1
                          ? " (and " + Counted(problems.size() - 1, "more problem", "more problems") + ")"
                          : std::string()));
        }
    } else {
        try {
            events = ReadDataSourceMatches(*text);
        } catch (const std::logic_error& error) {
            m_report(name + " is left out: " + error.what());
            return std::nullopt;
        }
    }

    std::size_t misfits = 0;
    std::string firstMisfit;
    std::erase_if(events, [&](const UpcomingEvent& event) {
        if (FitsTheDocument(event)) return false;
        if (misfits++ == 0) firstMisfit = event.teams;
        return true;
    });
    if (misfits > 0) {
        m_report(name + ": " + Counted(misfits, "match", "matches") +
                 " left out, since a text of theirs holds '<' or '>' (the first: " +
                 RequestLog::Printable(firstMisfit) + ")");
    }
    return events;
}

}  // namespace karvola::service
