#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "database/MatchDBMS.h"

using namespace karvola;

// A data base file as File > Load reads it. Whatever the bytes, the load ends
// with one of its three codes; a loaded base saved and loaded again holds the
// same records, so that saving never changes what the user sees.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::CountingSink sink;
    fuzz::MemoryFileSystem files;
    files.put("base.txt", std::string(fuzz::TextOf(data, size)));
    MatchDBMS base(sink, files);
    base.SetDataBaseName("base.txt");
    const LoadResult loaded = base.Load();
    KARVOLA_FUZZ_EXPECT(loaded.code == 0 || loaded.code == -1 || loaded.code == -2);
    if (!loaded.loaded()) return 0;

    KARVOLA_FUZZ_EXPECT(base.SaveAs("again.txt") == 0);
    MatchDBMS again(sink, files);
    again.SetDataBaseName("again.txt");
    KARVOLA_FUZZ_EXPECT(again.Load().loaded());
    KARVOLA_FUZZ_EXPECT(again.records().size() == base.records().size());
    for (std::size_t i = 0; i < base.records().size(); ++i) {
        const data_base_record_t& a = base.records()[i];
        const data_base_record_t& b = again.records()[i];
        KARVOLA_FUZZ_EXPECT(a.date == b.date && a.category == b.category && a.team1 == b.team1 && a.team2 == b.team2 &&
                            a.odds1 == b.odds1 && a.odds0 == b.odds0 && a.odds2 == b.odds2 && a.result == b.result &&
                            a.flag == b.flag);
    }
    base.SaveAs30Format("export.txt");
    return 0;
}
