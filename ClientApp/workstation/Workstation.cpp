#include "workstation/Workstation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "database/ResearchDomainBuilder.h"
#include "expressions/NumericExpression.h"
#include "common/NumberTexts.h"
#include "terminal/StartupBanner.h"
#include "tools/OddsCalculators.h"

namespace karvola {

namespace {

constexpr std::string_view kBusy = kOptimizationInProgress;

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

// A property edit's value truncated toward zero, kept inside the int range so
// that the range checks, not an overflow, judge absurd values.
int TruncateToInt(double value) {
    const double truncated = std::trunc(value);
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(truncated);
}

const char* ResultText(char result) {
    switch (result) {
    case '1':
        return "odds1 won";
    case '0':
        return "odds0 won";
    case '2':
        return "odds2 won";
    default:
        return "";
    }
}

}  // namespace

Workstation::Workstation(WorkstationSettings settings, TerminalSink& sink, FileSystem& files, const Clock& clock)
    : m_settings(std::move(settings)),
      m_sink(sink),
      m_files(files),
      m_config(m_settings.applicationDirectory, files, clock),
      m_dataBase(sink, files),
      m_terminal(sink, m_settings.decimalSeparator),
      m_optimizer(m_terminal.flags(), sink) {
    m_researchDomain.setBnd(m_config.GetBNDValue());
    attachCommands();
}

void Workstation::attachCommands() {
    CommandDispatcher& dispatcher = m_terminal.dispatcher();
    RegisterOddsCalculators(dispatcher);
    dispatcher.attach("struct", [this](const CommandArguments& arguments) {
        m_researchDomain.applyMasks(BuildResearchDomainByMasks(m_dataBase.records(), arguments.texts));
    });
    dispatcher.attach("rsr", [this](const CommandArguments& arguments) {
        ResearchDomain narrowed = RestrictResearchDomain(m_researchDomain.domain(), arguments.rest);
        m_researchDomain.applyRestriction(std::move(narrowed), arguments.rest);
    });
    dispatcher.attach("drange", [this](const CommandArguments& arguments) {
        const CompartmentRange range =
            FindDateRange(m_researchDomain.domain(), arguments.texts[0], arguments.texts[1], m_sink);
        m_researchDomain.setCompartment(range.lo, range.hi);
    });
    attachStrategyCommands();
}

void Workstation::attachStrategyCommands() {
    CommandDispatcher& dispatcher = m_terminal.dispatcher();
    dispatcher.attach("result", [this](const CommandArguments& arguments) {
        RunResult(m_sink, arguments.vector, m_researchDomain.selection(), reportFormat());
    });
    dispatcher.attach("pe_result", [this](const CommandArguments& arguments) {
        RunPeResult(m_sink, arguments.rest, m_researchDomain.selection(), reportFormat());
    });
    // The error still reaches the dispatcher; the windows learn what was left first.
    const auto simulate = [this](const auto& run) {
        try {
            run();
        } catch (...) {
            if (m_onSimulation) m_onSimulation(false);
            throw;
        }
        if (m_onSimulation) m_onSimulation(true);
    };
    dispatcher.attach("sim", [this, simulate](const CommandArguments& arguments) {
        simulate([&] {
            RunWvectorSimulation(m_sink, arguments.vector, arguments.fraction, simulationRange(),
                                 m_settings.decimalSeparator, m_simulation);
        });
    });
    dispatcher.attach("pe_sim", [this, simulate](const CommandArguments& arguments) {
        simulate([&] {
            RunPredictionSimulation(m_sink, arguments.rest, arguments.fraction, simulationRange(),
                                    m_settings.decimalSeparator, m_simulation);
        });
    });
    dispatcher.attach("opt", [this](const CommandArguments& arguments) {
        const auto bnd = ParseDecimal(m_researchDomain.bnd());
        if (!bnd) throw std::logic_error("BND% is not a number: " + m_researchDomain.bnd());
        const auto selection = m_researchDomain.selection();
        OptimizationJob job;
        job.range.assign(selection.begin(), selection.end());
        job.lo = m_researchDomain.lo();
        job.hi = m_researchDomain.hi();
        job.bndPercent = *bnd;
        job.maximalSpan = arguments.number;
        job.format = reportFormat();
        m_optimizer.start(std::move(job));
    });
}

ReportFormat Workstation::reportFormat() const {
    return ReportFormat{DisplayOptions(m_config.GetResultPeResultOptions()), m_settings.decimalSeparator};
}

std::optional<std::span<const basic_record_t>> Workstation::simulationRange() const {
    // With LO or HI at 0 a simulation leaves the previous Bets Preview as it was.
    if (m_researchDomain.lo() == 0 || m_researchDomain.hi() == 0) return std::nullopt;
    return m_researchDomain.selection();
}

int Workstation::StartUp(const std::optional<std::string>& dataBase) {
    m_sink.appendLine("Initializing....");
    m_sink.repaint();
    const std::string baseName = dataBase.value_or(m_config.GetDefaultBase());
    m_dataBase.SetDataBaseName(baseName);

    m_sink.appendLine("Loading local database...");
    m_sink.repaint();
    const int loaded = m_dataBase.Load();
    if (loaded == 0) {
        m_dataBaseNameLabel = baseName;
        m_dataBaseSize = static_cast<int>(m_dataBase.records().size());
        loadBookmakers(baseName);
    }
    for (const auto& line : StartupBannerLines()) m_sink.appendLine(line);
    return loaded;
}

int Workstation::LoadDataBase(const std::string& file) {
    if (IsOptimizing()) {
        m_sink.appendLine(kBusy);
        return -1;
    }
    m_dataBase.SetDataBaseName(file);
    const int loaded = m_dataBase.Load();
    if (loaded != 0) {
        m_dataBaseNameLabel = kNoDatabaseLoaded;
        if (loaded == -2) {
            m_sink.appendLine("Error : File '" + file +
                              "' is not apropriate Karvola' database file or it's corrupted.");
        }
    } else {
        m_dataBaseNameLabel = file;
        m_config.SetDefaultBase(file);
    }
    afterLoadUpdate(file);
    return loaded;
}

void Workstation::afterLoadUpdate(const std::string& file) {
    m_researchDomain.clearAfterLoad();
    m_dataBaseSize = m_dataBase.CountSettledRecords();
    loadBookmakers(file);
}

void Workstation::loadBookmakers(const std::string& dataBaseFile) {
    m_bookmakers.clear();
    if (dataBaseFile.empty()) return;
    if (const auto text = m_files.readFile(MatchDBMS::DescriptorPath(dataBaseFile))) {
        m_bookmakers = SplitDescriptorLines(*text);
    }
}

bool Workstation::SaveDataBaseMenuItemClick() {
    if (!m_dataBase.IsModified()) {
        m_sink.appendLine("dBase is already saved.");
        return true;
    }
    if (!m_dataBase.HasDataBaseName()) return false;
    m_dataBase.Save();
    return true;
}

int Workstation::SaveDataBaseAs(const std::string& path) {
    const int saved = m_dataBase.SaveAs(path);
    if (saved == 0) {
        m_dataBaseNameLabel = path;
        m_config.SetDefaultBase(path);
    }
    return saved;
}

void Workstation::ExportDataBase30(const std::string& path) { m_dataBase.SaveAs30Format(path); }

std::vector<CategoryChoice> Workstation::FillCategories() const {
    std::vector<CategoryChoice> choices;
    const auto& chosen = m_researchDomain.categories();
    for (const auto& category : m_dataBase.categories()) {
        const bool marked = std::find(chosen.begin(), chosen.end(), category.name) != chosen.end();
        choices.push_back({category.name, category.count, marked});
    }
    return choices;
}

void Workstation::ChooseCategories(const std::vector<std::string>& markedNames) {
    if (IsOptimizing()) {
        m_sink.appendLine("Acces Denied: Optimization in progress.");
        return;
    }
    m_researchDomain.chooseCategories(markedNames);
    m_researchDomain.applyCategoryDomain(BuildResearchDomain(m_dataBase.records(), markedNames));
}

std::optional<PropertiesError> Workstation::SetupGeneralProperties(const std::string& infimum,
                                                                   const std::string& supremum,
                                                                   const std::string& bnd) {
    using Field = PropertiesError::Field;
    const auto evaluate = [](const std::string& text, double& value) -> std::optional<std::string> {
        try {
            value = EvaluateNumericExpression(text);
            return std::nullopt;
        } catch (const std::logic_error& error) {
            return error.what();
        }
    };
    double bndValue = 0.0;
    double infimumValue = 0.0;
    double supremumValue = 0.0;
    if (auto error = evaluate(bnd, bndValue)) return PropertiesError{"BND% Property error", *error, Field::Bnd};
    if (auto error = evaluate(infimum, infimumValue)) {
        return PropertiesError{"Compartment Infimum Property error", *error, Field::Infimum};
    }
    if (auto error = evaluate(supremum, supremumValue)) {
        return PropertiesError{"Compartment Supremum Property error", *error, Field::Supremum};
    }
    const int lo = TruncateToInt(infimumValue);
    const int hi = TruncateToInt(supremumValue);
    const auto size = static_cast<long long>(m_researchDomain.size());

    if (hi < lo) return PropertiesError{"Compartment Property error", "Infimum value cannot exceed supremum", Field::Infimum};
    if (lo < 0) return PropertiesError{"Compartment Infimum Property error", "Infimum must be positive", Field::Infimum};
    if (hi < 0) return PropertiesError{"Compartment Supremum Property error", "Supremum must be positive", Field::Supremum};
    if (hi > size) {
        return PropertiesError{"Compartment Supremum Property error", "Supremum cannot exceed domain size",
                               Field::Supremum};
    }
    if (lo > size) {
        return PropertiesError{"Compartment Infimum Property error", "Infimum cannot exceed domain size",
                               Field::Infimum};
    }
    if (!(bndValue > 0.0 && bndValue <= 100.0)) {
        return PropertiesError{"BND% Property error", "BND% must be in (0, 100>", Field::Bnd};
    }
    m_researchDomain.setCompartment(lo, hi);
    m_researchDomain.setBnd(FormatGeneral(bndValue, m_settings.decimalSeparator));
    return std::nullopt;
}

std::vector<PreviewRow> Workstation::PreviewResearchDomain() const {
    std::vector<PreviewRow> rows;
    int number = 0;
    for (const auto& record : m_researchDomain.selection()) {
        rows.push_back({std::to_string(++number), record.date, record.category, record.teams,
                        FormatTwoDecimals(record.odds1), FormatTwoDecimals(record.odds0),
                        FormatTwoDecimals(record.odds2), ResultText(record.result)});
    }
    return rows;
}

bool Workstation::FormCloseQuery(CloseQueryDialogs& dialogs) {
    if (IsOptimizing()) {
        dialogs.refuse("Exit Refuse",
                       "Optimization in progress...\n Please type 'break' in command line to stop the engine.");
        return false;
    }
    if (!m_dataBase.IsModified()) return true;
    switch (dialogs.askToSave("Confirmation...", "Data Base has been changed. Do you want to save it?")) {
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::Yes:
        if (!SaveDataBaseMenuItemClick()) {
            if (const auto path = dialogs.chooseSaveFile(m_config.GetWorkDirectory())) SaveDataBaseAs(*path);
        }
        return !m_dataBase.IsModified();
    case SaveAnswer::No:
        break;
    }
    return true;
}

bool Workstation::SaveConfiguration() {
    m_config.SetBNDValue(m_researchDomain.bnd());
    if (m_config.SaveConfiguration()) return true;
    m_sink.appendLine("Error : Could not save configuration!");
    return false;
}

}  // namespace karvola
