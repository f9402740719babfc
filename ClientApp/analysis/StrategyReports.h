#pragma once

#include <span>
#include <string>
#include <string_view>

#include "analysis/statistics_t.h"
#include "common/StopRequest.h"
#include "common/TerminalSink.h"
#include "common/wvector.h"
#include "config/DisplayOptions.h"
#include "database/basic_record_t.h"

namespace karvola {

// How reports write numbers: the general form uses the user's decimal separator.
struct ReportFormat {
    DisplayOptions options{DisplayOptions::kDefault};
    char decimalSeparator = '.';
};

// The statistics report of a wvector (result, and the optimizer's best vector).
void WriteWvectorReport(TerminalSink& sink, const wvector& rule, const statistics_t& statistics,
                        std::string_view sequence, const ReportFormat& format);

// The same report without its "wvector:" block, for figures pooled over several
// rules (the out-of-sample bets of a walk-forward validation).
void WriteStatisticsReport(TerminalSink& sink, const statistics_t& statistics, std::string_view sequence,
                           const ReportFormat& format);

// The report of a prediction expression (pe_result).
void WritePredictionReport(TerminalSink& sink, std::string_view expression, const statistics_t& statistics,
                           std::string_view sequence, const ReportFormat& format);

// result [kmin kMax CRZ]: evaluates the rule over the range and writes its report.
void RunResult(TerminalSink& sink, const wvector& rule, std::span<const basic_record_t> range,
               const ReportFormat& format);

// pe_result expression: evaluates the prediction expression over the range and
// writes its report. A "Domain error" of one match makes it no bet (one warning
// line per run); any other error is thrown (std::logic_error) before the report.
void RunPeResult(TerminalSink& sink, const std::string& expression, std::span<const basic_record_t> range,
                 const ReportFormat& format, const StopRequest& stop = StopRequest::Never());

}  // namespace karvola
