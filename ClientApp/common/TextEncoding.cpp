#include "common/TextEncoding.h"

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
            out += '?';
            complete = false;
        }
        i += length;
    }
    return complete;
}

}  // namespace karvola
