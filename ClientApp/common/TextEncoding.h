#pragma once

#include <cstddef>
#include <string_view>

namespace karvola {

// Data base texts are 8-bit and may or may not be UTF-8; views that measure or
// re-encode them ask first.

// The length of the UTF-8 sequence a byte starts; 0 for a byte no sequence starts with.
std::size_t Utf8SequenceLength(unsigned char lead);
bool IsValidUtf8(std::string_view text);

}  // namespace karvola
