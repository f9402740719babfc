#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expressions/Tokenizer.h"

namespace karvola {
namespace {

std::vector<std::string> texts(const std::vector<Tokenizer::token_t>& tokens) {
    std::vector<std::string> result;
    for (const auto& token : tokens) result.push_back(token.text);
    return result;
}

std::vector<std::int32_t> lines(const std::vector<Tokenizer::token_t>& tokens) {
    std::vector<std::int32_t> result;
    for (const auto& token : tokens) result.push_back(token.line);
    return result;
}

struct SplitCase {
    const char* line;
    std::vector<std::string> tokens;
};

TEST(TokenizerTest, CommandLineSplitsIntoTheTokensTheDispatcherExpects) {
    const SplitCase cases[] = {
        {"result [1.5 2 1.2]", {"result", "[", "1.5", "2", "1.2", "]"}},
        {"result[1.5 3 1.2]", {"result", "[", "1.5", "3", "1.2", "]"}},
        {"result [ 1.5 3 1.2 ]", {"result", "[", "1.5", "3", "1.2", "]"}},
        {"(1+2)*3", {"(1+2)*3"}},
        {"1.5 + 2", {"1.5", "+", "2"}},
        {"pe_result{2}", {"pe_result", "{", "2", "}"}},
        {"ODDS1<2?BET1:BET2", {"ODDS1", "<", "2?BET1", ":", "BET2"}},
        {"a<=b", {"a", "<", "=", "b"}},
        {"[[]]", {"[", "[", "]", "]"}},
        {"a  b", {"a", "b"}},
        {"  sim 1,5  ", {"sim", "1,5"}},
        {"x\ty", {"x", "\t", "y"}},
        // Bytes from 128 up: each is a token of its own, also two in a row (one UTF-8 letter).
        {"caf\xC3\xA9 x", {"caf", "\xC3", "\xA9", "x"}},
        {"\xFF", {"\xFF"}},
        {"", {}},
        {"   ", {}},
    };
    const Tokenizer tokenizer = Tokenizer::ForCommandLine();
    for (const auto& c : cases) {
        EXPECT_EQ(texts(tokenizer.tokenize(c.line)), c.tokens) << "line: \"" << c.line << "\"";
    }
}

TEST(TokenizerTest, LineNumberIsThatOfTheTokensFirstCharacter) {
    const Tokenizer tokenizer = Tokenizer::ForCommandLine();
    // The line feed is a token of its own and still belongs to the line it ends.
    const auto tokens = tokenizer.tokenize("a\nb c\n\nd");
    EXPECT_EQ(texts(tokens), (std::vector<std::string>{"a", "\n", "b", "c", "\n", "\n", "d"}));
    EXPECT_EQ(lines(tokens), (std::vector<std::int32_t>{1, 1, 2, 2, 2, 3, 4}));

    // A token that runs over a line feed keeps the line it started on.
    const Tokenizer spanning(" ", "ab\n");
    const auto spanned = spanning.tokenize("a\nb a");
    EXPECT_EQ(texts(spanned), (std::vector<std::string>{"a\nb", "a"}));
    EXPECT_EQ(lines(spanned), (std::vector<std::int32_t>{1, 2}));

    // Dropped line feeds still count.
    const Tokenizer dropping("\n", "ab");
    EXPECT_EQ(lines(dropping.tokenize("a\n\nb")), (std::vector<std::int32_t>{1, 3}));
}

TEST(TokenizerTest, OwnCharacterSetsDecideTheSplit) {
    // "," is in both sets: the delimiter test comes first.
    const Tokenizer csv(",", "abc,");
    EXPECT_EQ(texts(csv.tokenize("ab,,c")), (std::vector<std::string>{"ab", "c"}));
    // Blanks are ordinary characters when they are not delimiters.
    EXPECT_EQ(texts(csv.tokenize("a b")), (std::vector<std::string>{"a", " ", "b"}));

    // Bytes from 128 up can be token characters too.
    const Tokenizer latin(" ", "caf\xC3\xA9");
    EXPECT_EQ(texts(latin.tokenize("caf\xC3\xA9!")), (std::vector<std::string>{"caf\xC3\xA9", "!"}));
}

}  // namespace
}  // namespace karvola
