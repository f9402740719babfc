#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/OptimizationFlags.h"
#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "database/MatchDBMS.h"
#include "database/ResearchDomainModel.h"
#include "terminal/CommandDispatcher.h"

namespace karvola {

// One row of the category dialog.
struct CategoryChoice {
    std::string name;
    std::uint32_t count = 0;
    bool marked = false;
};

// One row of the research-domain preview.
struct PreviewRow {
    std::string number;
    std::string date;
    std::string category;
    std::string teams;
    std::string odds1;
    std::string odds0;
    std::string odds2;
    std::string result;
};

// How the user cuts the research domain out of the data base: the commands
// struct, rsr and drange, the category dialog and the preview of the domain.
class ResearchDomainCommands final {
public:
    ResearchDomainCommands(TerminalSink& sink, const MatchDBMS& dataBase, ResearchDomainModel& researchDomain,
                           const OptimizationFlags& flags, const StopRequest& stop);

    ResearchDomainCommands(const ResearchDomainCommands&) = delete;
    ResearchDomainCommands& operator=(const ResearchDomainCommands&) = delete;

    // struct, rsr and drange.
    void Register(CommandDispatcher& dispatcher);

    // The category dialog: its rows, and OK with the marked names in list order.
    [[nodiscard]] std::vector<CategoryChoice> categoryChoices() const;
    void chooseCategories(const std::vector<std::string>& markedNames);

    // The records from LO to HI, numbered from 1.
    [[nodiscard]] std::vector<PreviewRow> previewRows() const;

private:
    TerminalSink& m_sink;
    const MatchDBMS& m_dataBase;
    ResearchDomainModel& m_researchDomain;
    const OptimizationFlags& m_flags;
    const StopRequest& m_stop;
};

}  // namespace karvola
