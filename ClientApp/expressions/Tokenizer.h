#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// Splits a text into tokens by two character sets: delimiters end a token and
// are dropped, runs of token characters form one token, and every other
// character is a token of its own.
class Tokenizer final {
public:
    struct token_t {
        std::int32_t line = 1;  // 1 + the number of line feeds before the token's first character
        std::string text;
    };

    Tokenizer(std::string_view delimiters, std::string_view tokenCharacters);

    // The sets the command line is cut with: the blank alone, and letters,
    // digits and "+-*/^()_.,?".
    static Tokenizer ForCommandLine();

    [[nodiscard]] std::vector<token_t> tokenize(std::string_view text) const;

private:
    enum class CharacterClass : std::uint8_t { OTHER, DELIMITER, TOKEN_CHARACTER };

    // Indexed by the byte taken as unsigned, so characters 128-255 are classified like any other.
    std::array<CharacterClass, 256> m_classes{};
};

}  // namespace karvola
