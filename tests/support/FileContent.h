#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace karvola::testing {

// Whole files as bytes, for fixtures and for comparing what the program wrote.
inline void WriteFileContent(const std::filesystem::path& file, std::string_view content) {
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The file's bytes; empty when it does not exist.
inline std::string ReadFileContent(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace karvola::testing
