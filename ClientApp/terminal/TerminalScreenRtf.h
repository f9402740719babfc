#pragma once

#include <filesystem>
#include <span>
#include <string>

#include "common/FileSystem.h"

namespace karvola {

// The terminal screen as an RTF document for a word processor: Courier New,
// black text on the default white page, one paragraph per terminal line. Lines
// are 8-bit Latin-1 texts; the document's own lines end with CR LF.
std::string TerminalScreenRtf(std::span<const std::string> lines);

// Writes the document in place of the file; an existing file is replaced only
// when the whole document reached the disk. False on any failure.
bool SaveTerminalScreen(FileSystem& files, const std::filesystem::path& file, std::span<const std::string> lines);

}  // namespace karvola
