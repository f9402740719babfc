#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace karvola {

// One row of a CSV text as its fields' texts, unquoted; the views stay valid
// until the reader reads the next row.
struct FootballDataCsvRow {
    std::vector<std::string_view> fields;
    // The line of the text the row starts on, from 1.
    std::size_t line = 0;
    // A quoted field ran to the end of the text without its closing quote.
    bool unclosedQuote = false;
};

// Reads CSV text as RFC 4180 has it, with the leniency that spreadsheet exports
// need: rows end with CR LF, LF or a lone CR; a quoted field may contain commas,
// line breaks and doubled quotes; text after a closing quote belongs to the field.
// Rows are given as they stand, however many fields they have.
class FootballDataCsvReader final {
public:
    // A UTF-8 byte order mark at the start is not part of the first field.
    explicit FootballDataCsvReader(std::string_view text);

    // False once the text is used up.
    bool next(FootballDataCsvRow& row);

    [[nodiscard]] bool startedWithByteOrderMark() const { return m_byteOrderMark; }

private:
    struct span_t {
        bool unescaped = false;  // in m_unescaped rather than in m_text
        std::size_t begin = 0;
        std::size_t size = 0;
    };

    span_t readQuoted(bool& closed);
    span_t readPlain();

    std::string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_line = 1;
    bool m_byteOrderMark = false;
    std::vector<span_t> m_spans;
    std::string m_unescaped;
};

}  // namespace karvola
