#pragma once

#include <string>

namespace karvola::options {

// The exit status of every front end given wrong options.
inline constexpr int kWrongOptions = 2;

// The program's whole answer when its command line says not to start: the help
// or the version (status 0, on standard output) or why the options are wrong
// (kWrongOptions, on standard error).
struct EarlyExit {
    int status = 0;
    std::string text;

    // Prints the text where it belongs; returns the status for main.
    int deliver() const;
};

}  // namespace karvola::options
