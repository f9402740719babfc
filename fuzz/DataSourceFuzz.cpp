#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "FuzzSupport.h"
#include "database/MatchDBMS.h"
#include "wizard/DataSourceToDataBase.h"

using namespace karvola;

// A data source as the wizard converts it, with the sample's bookmakers and a
// one-letter one selected. The conversion either fails with a message (the
// base's old content untouched) or writes a base that File > Load reads whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryFileSystem files;
    const fuzz::FixedClock clock;
    files.put("source.txt", std::string(fuzz::TextOf(data, size)));
    files.put("base.txt", "old");
    DataSourceToDataBase conversion(files, clock);
    conversion.SetMode(DataSourceToDataBase::kConvertMode);
    conversion.SetSourceFileName("source.txt");
    conversion.SetBaseFileName("base.txt");
    conversion.SetSelectedBookmakers({"B365", "BW", "IW", "PS", "VC", "WH", "A"});
    conversion.SetTimeZoneOffset(3600);
    try {
        KARVOLA_FUZZ_EXPECT(conversion.Convert());
    } catch (const std::logic_error& error) {
        KARVOLA_FUZZ_EXPECT(*error.what() != '\0');
        KARVOLA_FUZZ_EXPECT(files.readFile("base.txt") == "old");
        return 0;
    }
    const std::string base = files.readFile("base.txt").value_or("");
    if (base.empty()) return 0;  // no match had odds of the selected bookmakers
    fuzz::CountingSink sink;
    MatchDBMS loaded(sink, files);
    loaded.SetDataBaseName("base.txt");
    KARVOLA_FUZZ_EXPECT(loaded.Load().loaded());
    return 0;
}
