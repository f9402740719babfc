#include "database/ResearchDomainCommands.h"

#include <algorithm>

#include "common/NumberTexts.h"
#include "database/ResearchDomainBuilder.h"

namespace karvola {

namespace {

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

ResearchDomainCommands::ResearchDomainCommands(TerminalSink& sink, const MatchDBMS& dataBase,
                                               ResearchDomainModel& researchDomain, const OptimizationFlags& flags,
                                               const StopRequest& stop)
    : m_sink(sink), m_dataBase(dataBase), m_researchDomain(researchDomain), m_flags(flags), m_stop(stop) {}

void ResearchDomainCommands::Register(CommandDispatcher& dispatcher) {
    dispatcher.attach("struct", [this](const CommandArguments& arguments) {
        m_researchDomain.applyMasks(BuildResearchDomainByMasks(m_dataBase.records(), arguments.texts, m_stop));
    });
    dispatcher.attach("rsr", [this](const CommandArguments& arguments) {
        ResearchDomain narrowed = RestrictResearchDomain(m_researchDomain.domain(), arguments.rest, m_stop);
        m_researchDomain.applyRestriction(std::move(narrowed), arguments.rest);
    });
    dispatcher.attach("drange", [this](const CommandArguments& arguments) {
        const CompartmentRange range =
            FindDateRange(m_researchDomain.domain(), arguments.texts[0], arguments.texts[1], m_sink);
        m_researchDomain.setCompartment(range.lo, range.hi);
    });
}

std::vector<CategoryChoice> ResearchDomainCommands::categoryChoices() const {
    std::vector<CategoryChoice> choices;
    const auto& chosen = m_researchDomain.categories();
    for (const auto& category : m_dataBase.categories()) {
        const bool marked = std::find(chosen.begin(), chosen.end(), category.name) != chosen.end();
        choices.push_back({category.name, category.count, marked});
    }
    return choices;
}

void ResearchDomainCommands::chooseCategories(const std::vector<std::string>& markedNames) {
    if (m_flags.IsOptimizing()) {
        m_sink.appendLine("Acces Denied: Optimization in progress.");
        return;
    }
    m_researchDomain.chooseCategories(markedNames);
    m_researchDomain.applyCategoryDomain(BuildResearchDomain(m_dataBase.records(), markedNames));
}

std::vector<PreviewRow> ResearchDomainCommands::previewRows() const {
    std::vector<PreviewRow> rows;
    int number = 0;
    for (const auto& record : m_researchDomain.selection()) {
        rows.push_back({std::to_string(++number), record.date, record.category, record.teams,
                        FormatTwoDecimals(record.odds1), FormatTwoDecimals(record.odds0),
                        FormatTwoDecimals(record.odds2), ResultText(record.result)});
    }
    return rows;
}

}  // namespace karvola
