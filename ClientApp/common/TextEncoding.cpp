#include "common/TextEncoding.h"

#include <algorithm>
#include <array>

namespace karvola {

namespace {

// The length of the whole UTF-8 sequence that starts the text; 0 when the text
// does not start with one (a stray byte, or a sequence cut short).
std::size_t wholeSequenceLength(std::string_view text) {
    const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(text.front()));
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[k]) & 0xC0U) != 0x80U) return 0;
    }
    return length;
}

struct windows1252_t {
    unsigned codePoint;      // 0 where Windows-1252 leaves the byte undefined
    std::string_view ascii;  // the look-alike written for it in Latin-1
};

// Windows-1252's characters of the bytes 0x80 to 0x9F.
constexpr std::array<windows1252_t, 32> kWindows1252 = {{
    {0x20AC, "EUR"}, {0, "?"},      {0x201A, ","}, {0x0192, "f"}, {0x201E, "\""}, {0x2026, "..."}, {0x2020, "+"},
    {0x2021, "+"},   {0x02C6, "^"}, {0x2030, "%"}, {0x0160, "S"}, {0x2039, "<"},  {0x0152, "OE"},  {0, "?"},
    {0x017D, "Z"},   {0, "?"},      {0, "?"},      {0x2018, "'"}, {0x2019, "'"},  {0x201C, "\""},  {0x201D, "\""},
    {0x2022, "*"},   {0x2013, "-"}, {0x2014, "-"}, {0x02DC, "~"}, {0x2122, "TM"}, {0x0161, "s"},   {0x203A, ">"},
    {0x0153, "oe"},  {0, "?"},      {0x017E, "z"}, {0x0178, "Y"},
}};

// The look-alike of a character beyond Latin-1, '?' for one Windows-1252 lacks too.
std::string_view asciiLookAlike(unsigned codePoint) {
    const auto* found = std::find_if(kWindows1252.begin(), kWindows1252.end(),
                                     [codePoint](const windows1252_t& entry) { return entry.codePoint == codePoint; });
    return found == kWindows1252.end() ? std::string_view("?") : found->ascii;
}

}  // namespace

// The length of the UTF-8 sequence a byte starts; 0 for a byte no sequence starts with.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = wholeSequenceLength(text.substr(i));
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool AppendUtf8AsLatin1(std::string& out, std::string_view text) {
    bool complete = true;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        const std::size_t length = wholeSequenceLength(text.substr(i));
        if (length == 0) {
            out += '?';
            complete = false;
            ++i;
            continue;
        }
        unsigned codePoint = lead & (0x7FU >> length);
        for (std::size_t k = 1; k < length; ++k) {
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3FU);
        }
        if (codePoint <= 0xFF) {
            out += static_cast<char>(codePoint);
        } else {
            out += asciiLookAlike(codePoint);
            complete = false;
        }
        i += length;
    }
    return complete;
}

bool AppendWindows1252AsLatin1(std::string& out, std::string_view text) {
    bool complete = true;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || byte > 0x9F) {
            out += c;
            continue;
        }
        out += kWindows1252[byte - 0x80].ascii;
        complete = false;
    }
    return complete;
}

}  // namespace karvola
