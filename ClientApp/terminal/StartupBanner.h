#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace karvola {

inline constexpr std::string_view kProductCaption = "Karvola BETA Edition v.5.0.3";
inline constexpr std::string_view kReleaseDate = "Apr 22 2009";
inline constexpr std::string_view kMakerWebAddress = "www.karvola.example";

// The lines written after start-up: the banner, the release and the list of
// commands (the small commands such as echo and rem exist but are not listed).
std::vector<std::string> StartupBannerLines();

}  // namespace karvola
