#pragma once

#include <optional>
#include <string>
#include <vector>

#include "options/EarlyExit.h"

namespace karvola::options {

// The exit status of the windowed program where it has no display: that of
// wrong options, since the user has to start it differently.
inline constexpr int kNoDisplay = 2;

// What tells Qt where to show windows, read from the environment.
struct DisplayEnvironment {
    std::string display;         // $DISPLAY
    std::string waylandDisplay;  // $WAYLAND_DISPLAY
    std::string qpaPlatform;     // $QT_QPA_PLATFORM

    [[nodiscard]] static DisplayEnvironment Current();
};

// Without a display Qt aborts (status 134, "Reinstalling the application may fix
// this problem"). So before Qt starts: with neither display variable set and no
// platform chosen (QT_QPA_PLATFORM, -platform, or X11's -display), one line on
// standard error that points a terminal user to karvola-cli, and kNoDisplay.
// Nothing when Qt has somewhere to go, or has been told where.
std::optional<EarlyExit> MissingDisplay(const std::vector<std::string>& arguments,
                                        const DisplayEnvironment& environment);

}  // namespace karvola::options
