#include "options/EarlyExit.h"

#include <cstdio>

namespace karvola::options {

int EarlyExit::deliver() const {
    std::fputs(text.c_str(), status == 0 ? stdout : stderr);
    return status;
}

}  // namespace karvola::options
