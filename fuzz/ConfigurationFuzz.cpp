#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "config/MatchConfig.h"

using namespace karvola;

namespace {

bool SameSettings(const MatchConfig& a, const MatchConfig& b) {
    return a.GetWorkDirectory() == b.GetWorkDirectory() && a.GetDefaultBase() == b.GetDefaultBase() &&
           a.GetUIDKey() == b.GetUIDKey() && a.GetDataSource() == b.GetDataSource() &&
           a.GetResultPeResultOptions() == b.GetResultPeResultOptions() && a.GetBNDValue() == b.GetBNDValue() &&
           a.timeZoneBiasText() == b.timeZoneBiasText() && a.memorizeUID() == b.memorizeUID() &&
           a.leakOfResultSpecificators() == b.leakOfResultSpecificators();
}

}  // namespace

// karvola_config.xml as the start-up finds it, whatever is in it: the settings it
// yields, saved at the end of the run and read at the next start, are the same
// settings, so that a damaged file costs at most what was damaged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFileSystem files;
    const fuzz::FixedClock clock;
    files.put(std::filesystem::path("home") / MatchConfig::kFileName, std::string(fuzz::TextOf(data, size)));
    const MatchConfig first("home", files, clock);
    try {
        static_cast<void>(first.GetTimeZoneBias());
    } catch (const std::logic_error& error) {
        KARVOLA_FUZZ_EXPECT(std::string(error.what()) == "Invalid timezone.");
    }
    KARVOLA_FUZZ_EXPECT(first.SaveConfiguration());
    const MatchConfig second("home", files, clock);
    KARVOLA_FUZZ_EXPECT(second.loadProblems().empty());
    KARVOLA_FUZZ_EXPECT(SameSettings(first, second));
    return 0;
}
