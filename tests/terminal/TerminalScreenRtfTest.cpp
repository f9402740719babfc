#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/FileContent.h"
#include "support/SaveFaults.h"
#include "support/TemporaryDirectory.h"
#include "terminal/TerminalScreenRtf.h"

namespace karvola {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// What a word processor reads from the document: the text of the top-level group,
// paragraphs ended by "\n". Groups inside it (the font and colour tables) carry no
// text. Nothing when the document is not well-formed RTF.
std::optional<std::string> readRtfText(std::string_view rtf) {
    std::string text;
    int depth = 0;
    bool closed = false;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '\r' || c == '\n') continue;
        if (closed) return std::nullopt;  // anything after the document's closing brace
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0) return std::nullopt;
            closed = depth == 0;
        } else if (depth == 0) {
            return std::nullopt;
        } else if (c != '\\') {
            if (depth == 1) text += c;
        } else if (++i == rtf.size()) {
            return std::nullopt;
        } else if (rtf[i] == '\'') {
            if (i + 2 >= rtf.size() || !std::isxdigit(static_cast<unsigned char>(rtf[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(rtf[i + 2])))
                return std::nullopt;
            if (depth == 1) text += static_cast<char>(std::stoi(std::string(rtf.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
            std::size_t end = i;
            while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
            const std::string_view word = rtf.substr(i, end - i);
            if (end < rtf.size() && rtf[end] == '-') ++end;
            while (end < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[end]))) ++end;
            if (end < rtf.size() && rtf[end] == ' ') ++end;  // the delimiter belongs to the word
            i = end - 1;
            if (depth == 1 && word == "par") text += '\n';
            if (depth == 1 && word == "tab") text += '\t';
        } else if (depth == 1) {
            text += rtf[i];  // a control symbol: \\, \{ or \}
        }
    }
    if (!closed) return std::nullopt;
    return text;
}

// The document's text between the fixed header and the closing brace.
std::string bodyOf(const std::string& rtf) {
    const std::string empty = TerminalScreenRtf({});
    const std::size_t headerSize = empty.size() - std::string_view("}\r\n").size();
    return rtf.substr(headerSize, rtf.size() - headerSize - 3);
}

TEST(TerminalScreenRtfTest, IsACourierNewDocumentInBlackWithOneParagraphPerLine) {
    const Lines lines = {">=2+3", "5"};
    EXPECT_EQ(TerminalScreenRtf(lines),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\r\n"
              "{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}\r\n"
              "{\\colortbl;\\red0\\green0\\blue0;}\r\n"
              "\\pard\\plain\\f0\\fs20\\cf1\r\n"
              ">=2+3\\par\r\n"
              "5\\par\r\n"
              "}\r\n");
}

TEST(TerminalScreenRtfTest, EscapesWhatRtfWouldReadAsMarkup) {
    struct Case {
        std::string line;
        std::string body;
    };
    const Case cases[] = {
        {"", "\\par\r\n"},
        {"  two", "  two\\par\r\n"},  // leading blanks are text, not delimiters
        {"C:\\WorkSpace\\par", "C:\\\\WorkSpace\\\\par\\par\r\n"},
        {"{1.5 2.5}", "\\{1.5 2.5\\}\\par\r\n"},
        {"a\tb", "a\\tab b\\par\r\n"},
        {"\t1", "\\tab 1\\par\r\n"},
        {"a\rb\nc\x01", "a?b?c?\\par\r\n"},
        {"caf\xe9", "caf\\'e9\\par\r\n"},
        {std::string("\x80\x9f\xa0\xff"), "\\'80\\'9f\\'a0\\'ff\\par\r\n"},
        {"~\x7f", "~\x7f\\par\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(bodyOf(TerminalScreenRtf(Lines{c.line})), c.body);
    }
}

TEST(TerminalScreenRtfTest, AReaderGetsEveryLineBackByteForByte) {
    std::string everyByte = "\t";
    for (int byte = 0x20; byte <= 0xFF; ++byte) everyByte += static_cast<char>(byte);
    const Lines lines = {">result [1.5 2.5 1.3]", "", "  \\{}\\par{\\b bold}", everyByte, "Malm\xf6 FF\t\xc5rhus"};

    const std::string rtf = TerminalScreenRtf(lines);
    std::string expected;
    for (const std::string& line : lines) expected += line + '\n';
    EXPECT_EQ(readRtfText(rtf), expected);

    // Plain 7-bit text whose every line ends with CR LF.
    for (std::size_t i = 0; i < rtf.size(); ++i) ASSERT_LT(static_cast<unsigned char>(rtf[i]), 0x80) << "at " << i;
    std::size_t lineEnds = 0;
    for (std::size_t at = rtf.find("\r\n"); at != std::string::npos; at = rtf.find("\r\n", at + 2)) ++lineEnds;
    EXPECT_EQ(std::count(rtf.begin(), rtf.end(), '\r'), lineEnds);
    EXPECT_EQ(std::count(rtf.begin(), rtf.end(), '\n'), lineEnds);
    EXPECT_TRUE(rtf.ends_with("}\r\n"));
}

TEST(TerminalScreenRtfTest, AnEmptyTerminalIsAnEmptyDocument) {
    const std::string rtf = TerminalScreenRtf({});
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    EXPECT_EQ(readRtfText(rtf), "");
}

// File > Save Terminal Screen As... under every fault of the table: false (the
// window then says "Could not write the terminal screen to '...'."), and the old
// document stays byte for byte with nothing beside it.
class SaveTerminalScreenFaults : public ::testing::TestWithParam<testing::SaveFault> {};

TEST_P(SaveTerminalScreenFaults, KeepTheOldDocument) {
    const testing::TemporaryDirectory folder;
    testing::FaultyFileSystem files;
    const fs::path file = folder.path() / "terminal_screen1.rtf";
    const testing::SaveFaultScene scene(GetParam(), files, file, "{\\rtf1 old screen}\r\n");
    bool saved = true;
    scene.save([&] { saved = SaveTerminalScreen(files, file, Lines{">clear", ">=1+1", " 2"}); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(files.commits(), 0);
    scene.expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(SaveFaults, SaveTerminalScreenFaults, ::testing::ValuesIn(testing::AllSaveFaults()),
                         karvola::testing::SaveFaultName);

TEST(SaveTerminalScreenTest, ReplacesAFileOnDisk) {
    testing::TemporaryDirectory folder;
    LocalFileSystem files;
    const fs::path file = folder.path() / "terminal_screen1.rtf";
    testing::WriteFileContent(file, std::string(10000, 'x'));  // longer than the new document

    const Lines lines = {">echo saved", " saved"};
    ASSERT_TRUE(SaveTerminalScreen(files, file, lines));
    EXPECT_EQ(testing::ReadFileContent(file), TerminalScreenRtf(lines));

    EXPECT_FALSE(SaveTerminalScreen(files, folder.path() / "missing" / "screen.rtf", lines));
}

}  // namespace
}  // namespace karvola
