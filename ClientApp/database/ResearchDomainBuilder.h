#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "database/basic_record_t.h"
#include "database/data_base_record_t.h"

namespace karvola {

// The text masks of struct and of the data analyser: '*' any sequence, '?' any
// character, '#' an ASCII letter, '@' an ASCII digit; a mask without '*' matches
// a prefix; pieces between '*' are matched leftmost and never re-matched.
bool MaskMatch(std::string_view mask, std::string_view text);

// A research-domain record from a data base record: odds read with strtod's
// decimal rules (leading blanks skipped, longest number prefix, 0 when none),
// narrowed to float.
basic_record_t MakeBasicRecord(const data_base_record_t& record);

// The records of the listed categories, in file order ('?' results included).
ResearchDomain BuildResearchDomain(const std::vector<data_base_record_t>& records,
                                   const std::vector<std::string>& categories);

struct MaskedResearchDomain {
    ResearchDomain domain;
    std::vector<std::string> categories;  // the matched categories, ascending byte order
};

// struct: every record once per matching mask, '?' results left out.
MaskedResearchDomain BuildResearchDomainByMasks(const std::vector<data_base_record_t>& records,
                                                std::span<const std::string> masks,
                                                const StopRequest& stop = StopRequest::Never());

// rsr: the records for which the restriction (ODDS1, ODDS0, ODDS2 replaced by the
// record's odds in the general form) is not 0. Throws std::logic_error from the
// expression; the given domain is not changed.
ResearchDomain RestrictResearchDomain(const ResearchDomain& domain, std::string_view restriction,
                                      const StopRequest& stop = StopRequest::Never());

struct CompartmentRange {
    int lo = 0;
    int hi = 0;
};

// drange: the first record dated on or after the first date and the last dated on
// or before the second; writes the found records' blocks to the sink. Throws
// std::logic_error with the line to show (no prefix is added to it).
CompartmentRange FindDateRange(const ResearchDomain& domain, std::string_view firstDate, std::string_view secondDate,
                               TerminalSink& sink);

}  // namespace karvola
