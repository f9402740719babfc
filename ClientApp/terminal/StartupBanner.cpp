#include "terminal/StartupBanner.h"

namespace karvola {

std::vector<std::string> StartupBannerLines() {
    const std::string rule(87, '-');
    return {
        rule,
        "                     " + std::string(kProductCaption),
        "                     The Professional Odds Analysis System",
        rule,
        "  final release : " + std::string(kReleaseDate),
        "",
        "  Available commands:",
        "",
        "    =<numeric-expression>                  break                        pe_result",
        "    drange                                 opt                          result",
        "    pe_sim                                 quit                         sim",
        "    rsr                                    sch                          testb",
        "    struct                                 sbp",
        "    histclr                                clear",
        "",
        "  For more details see the User Guide or " + std::string(kMakerWebAddress),
        "",
    };
}

}  // namespace karvola
