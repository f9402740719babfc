#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace karvola {

// Data base texts are 8-bit and may or may not be UTF-8; views that measure or
// re-encode them ask first.

// The length of the UTF-8 sequence a byte starts; 0 for a byte no sequence starts with.
std::size_t Utf8SequenceLength(unsigned char lead);
bool IsValidUtf8(std::string_view text);

// Appends UTF-8 text as Latin-1. A character Latin-1 lacks becomes its ASCII
// look-alike when Windows-1252 has it (’ as ', – as -, € as EUR), else '?', as
// does a byte that is no part of a whole sequence (a text said to be UTF-8 may
// still hold such bytes); false when anything was replaced.
bool AppendUtf8AsLatin1(std::string& out, std::string_view text);

// Appends Windows-1252 text as Latin-1: the two agree but for 0x80 to 0x9F,
// which Windows-1252 gives printable characters (’ “ ” – € Š...) and Latin-1
// control codes. Those become their ASCII look-alikes, the five bytes
// Windows-1252 leaves undefined '?'; false when anything was replaced.
bool AppendWindows1252AsLatin1(std::string& out, std::string_view text);

}  // namespace karvola
