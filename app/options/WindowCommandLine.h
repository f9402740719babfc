#pragma once

#include "options/CommandLine.h"

namespace karvola::options {

// The command line of the windowed program, karvola: the workstation's shared
// options only. Here rather than in its main so that tests read the same usage.
CommandLine WindowCommandLine();

}  // namespace karvola::options
