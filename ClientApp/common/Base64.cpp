#include "common/Base64.h"

#include <array>
#include <cstdint>

namespace karvola {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr int kNotInAlphabet = -1;

constexpr std::array<int, 256> MakeDecodingTable() {
    std::array<int, 256> table{};
    table.fill(kNotInAlphabet);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
    return table;
}

constexpr std::array<int, 256> kDecodingTable = MakeDecodingTable();

}  // namespace

std::string EncodeBase64Url(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16 |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                    static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += kAlphabet[group >> 6 & 63];
        text += kAlphabet[group & 63];
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (left == 2) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += left == 2 ? kAlphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

std::string DecodeBase64Url(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int characters = 0;
    for (const char c : text) {
        const int value = kDecodingTable[static_cast<unsigned char>(c)];
        if (value == kNotInAlphabet) break;
        group = group << 6 | static_cast<std::uint32_t>(value);
        if (++characters == 4) {
            bytes += static_cast<char>(group >> 16 & 0xFF);
            bytes += static_cast<char>(group >> 8 & 0xFF);
            bytes += static_cast<char>(group & 0xFF);
            group = 0;
            characters = 0;
        }
    }
    // A final group of n characters carries n - 1 whole bytes.
    if (characters >= 2) {
        group <<= 6 * (4 - characters);
        bytes += static_cast<char>(group >> 16 & 0xFF);
        if (characters == 3) bytes += static_cast<char>(group >> 8 & 0xFF);
    }
    return bytes;
}

}  // namespace karvola
