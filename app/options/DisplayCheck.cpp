#include "options/DisplayCheck.h"

#include <algorithm>
#include <cstdlib>

namespace karvola::options {

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Qt reads its own options with one dash or two, anywhere on the line.
bool ChoosesADisplay(const std::string& argument) {
    const std::string name = argument.starts_with("--") ? argument.substr(1) : argument;
    return name == "-platform" || name == "-display";
}

}  // namespace

DisplayEnvironment DisplayEnvironment::Current() {
    return {Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("QT_QPA_PLATFORM")};
}

std::optional<EarlyExit> MissingDisplay(const std::vector<std::string>& arguments,
                                        const DisplayEnvironment& environment) {
    if (!environment.display.empty() || !environment.waylandDisplay.empty() || !environment.qpaPlatform.empty() ||
        std::any_of(arguments.begin(), arguments.end(), ChoosesADisplay)) {
        return std::nullopt;
    }
    return EarlyExit{kNoDisplay,
                     "karvola: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "in a terminal, run karvola-cli\n"};
}

}  // namespace karvola::options
