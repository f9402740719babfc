#include "database/OpenDataBase.h"

#include <string_view>

namespace karvola {

namespace {

// The lines of a descriptor file; a last line without its line end still counts,
// an empty text after the last line end does not.
std::vector<std::string> SplitDescriptorLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string line(text.substr(0, end));
        std::erase(line, '\r');
        lines.push_back(std::move(line));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

OpenDataBase::OpenDataBase(TerminalSink& sink, FileSystem& files, MatchConfig& config,
                           ResearchDomainModel& researchDomain, const OptimizationFlags& flags,
                           ChangeObserver& observer)
    : m_sink(sink),
      m_files(files),
      m_config(config),
      m_researchDomain(researchDomain),
      m_flags(flags),
      m_observer(observer),
      m_dataBase(sink, files) {}

void OpenDataBase::nameAtStartUp(const std::optional<std::string>& file) {
    m_startUpName = file.value_or(m_config.GetDefaultBase());
    m_dataBase.SetDataBaseName(m_startUpName);
}

LoadResult OpenDataBase::loadAtStartUp() {
    const std::string name = m_startUpName;
    m_sink.appendLine("Loading local database...");
    m_sink.repaint();
    LoadResult result = m_dataBase.Load();
    if (result.loaded()) {
        m_nameLabel = name;
        m_size = static_cast<int>(m_dataBase.records().size());
        loadBookmakers(name);
        m_observer.dataBaseChanged();
    }
    return result;
}

LoadResult OpenDataBase::open(const std::string& file) {
    if (m_flags.IsOptimizing()) {
        m_sink.appendLine(kOptimizationInProgress);
        return {-1, std::string(kOptimizationInProgress)};
    }
    std::string previousName = m_dataBase.fileName();
    const bool previouslyModified = m_dataBase.IsModified();
    m_dataBase.SetDataBaseName(file);
    LoadResult result = m_dataBase.Load();
    if (result.code == -1) {
        // Nothing was read: the open base stays in force, name, records, research
        // domain and all, as if the load had not been tried but for its lines.
        m_dataBase.RestoreName(std::move(previousName), previouslyModified);
        return result;
    }
    if (result.loaded()) {
        m_nameLabel = file;
        m_config.SetDefaultBase(file);
    } else {
        m_nameLabel = kNoDatabaseLoaded;
        if (result.code == -2) {
            m_sink.appendLine("Error : File '" + file +
                              "' is not apropriate Karvola' database file or it's corrupted.");
        }
    }
    m_researchDomain.clearAfterLoad();
    m_size = m_dataBase.CountSettledRecords();
    loadBookmakers(file);
    m_observer.dataBaseChanged();
    return result;
}

void OpenDataBase::loadBookmakers(const std::string& dataBaseFile) {
    m_bookmakers.clear();
    if (dataBaseFile.empty()) return;
    if (const auto text = m_files.readFile(MatchDBMS::DescriptorPath(dataBaseFile))) {
        m_bookmakers = SplitDescriptorLines(*text);
    }
}

bool OpenDataBase::save() {
    if (!m_dataBase.IsModified()) {
        m_sink.appendLine("dBase is already saved.");
        return true;
    }
    if (!m_dataBase.HasDataBaseName()) return false;
    m_dataBase.Save();
    return true;
}

int OpenDataBase::saveAs(const std::string& path) {
    const int saved = m_dataBase.SaveAs(path);
    if (saved == 0) {
        m_nameLabel = path;
        m_config.SetDefaultBase(path);
        m_observer.dataBaseChanged();
    }
    return saved;
}

void OpenDataBase::exportAs30(const std::string& path) {
    m_dataBase.SaveAs30Format(path);
}

}  // namespace karvola
