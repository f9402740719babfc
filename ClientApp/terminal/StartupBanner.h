#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/Version.h"

namespace karvola {

// The lines written after start-up: the banner, the release and the list of
// commands (the small commands such as echo and rem exist but are not listed).
std::vector<std::string> StartupBannerLines();

}  // namespace karvola
