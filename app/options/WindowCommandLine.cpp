#include "options/WindowCommandLine.h"

namespace karvola::options {

CommandLine WindowCommandLine() {
    return CommandLine("karvola", "Karvola, the professional odds analysis system.");
}

}  // namespace karvola::options
