#include "expressions/Tokenizer.h"

#include <utility>

namespace karvola {

Tokenizer::Tokenizer(std::string_view delimiters, std::string_view tokenCharacters) {
    m_classes.fill(CharacterClass::OTHER);
    for (const char c : tokenCharacters) m_classes[static_cast<unsigned char>(c)] = CharacterClass::TOKEN_CHARACTER;
    // A character given in both sets is a delimiter: delimiters are tested first.
    for (const char c : delimiters) m_classes[static_cast<unsigned char>(c)] = CharacterClass::DELIMITER;
}

Tokenizer Tokenizer::ForCommandLine() {
    return Tokenizer(" ", "+-*/^()1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_.,?");
}

std::vector<Tokenizer::token_t> Tokenizer::tokenize(std::string_view text) const {
    std::vector<token_t> tokens;
    token_t current;
    std::int32_t line = 1;

    const auto flush = [&tokens, &current] {
        if (!current.text.empty()) tokens.push_back(std::move(current));
        current = token_t{};
    };

    for (const char c : text) {
        switch (m_classes[static_cast<unsigned char>(c)]) {
            case CharacterClass::DELIMITER:
                flush();
                break;
            case CharacterClass::TOKEN_CHARACTER:
                if (current.text.empty()) current.line = line;
                current.text.push_back(c);
                break;
            case CharacterClass::OTHER:
                flush();
                tokens.push_back(token_t{line, std::string(1, c)});
                break;
        }
        // The line feed itself still belongs to the line it ends.
        if (c == '\n') ++line;
    }
    flush();
    return tokens;
}

}  // namespace karvola
