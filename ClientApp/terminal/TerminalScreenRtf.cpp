#include "terminal/TerminalScreenRtf.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace karvola {

namespace {

// Font 0 is Courier New, colour 1 black (colour 0 is the reader's default).
constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\r\n"
    "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;}\r\n"
    "\\pard\\plain\\f0\\fs20\\cf1\r\n";
constexpr std::string_view kFooter = "}\r\n";

void appendHexByte(std::string& out, unsigned char byte) {
    constexpr std::string_view kDigits = "0123456789abcdef";
    out += "\\'";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

void appendLine(std::string& out, std::string_view line) {
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            // The blank ends the control word, so a letter may follow.
            out += "\\tab ";
        } else if (byte < 0x20) {
            // Other control characters have no place in a paragraph; a reader
            // would drop a raw CR or LF and run the words together.
            out += '?';
        } else if (byte >= 0x80) {
            appendHexByte(out, byte);
        } else {
            out += c;
        }
    }
    out += "\\par\r\n";
}

}  // namespace

std::string TerminalScreenRtf(std::span<const std::string> lines) {
    std::size_t textSize = 0;
    for (const std::string& line : lines) textSize += line.size() + 7;  // \par and CR LF
    std::string document;
    document.reserve(kHeader.size() + textSize + kFooter.size());
    document += kHeader;
    for (const std::string& line : lines) appendLine(document, line);
    document += kFooter;
    return document;
}

bool SaveTerminalScreen(FileSystem& files, const std::filesystem::path& file, std::span<const std::string> lines) {
    return WriteFileAtomically(files, file, TerminalScreenRtf(lines));
}

}  // namespace karvola
