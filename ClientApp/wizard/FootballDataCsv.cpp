#include "wizard/FootballDataCsv.h"

namespace karvola {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isFieldEnd(char c) {
    return c == ',' || c == '\n' || c == '\r';
}

}  // namespace

FootballDataCsvReader::FootballDataCsvReader(std::string_view text) : m_text(text) {
    if (m_text.starts_with(kByteOrderMark)) {
        m_text.remove_prefix(kByteOrderMark.size());
        m_byteOrderMark = true;
    }
}

bool FootballDataCsvReader::next(FootballDataCsvRow& row) {
    if (m_position >= m_text.size()) return false;
    row.line = m_line;
    row.unclosedQuote = false;
    m_spans.clear();
    m_unescaped.clear();
    while (true) {
        // Blanks before an opening quote are the padding some writers put after a comma.
        std::size_t start = m_position;
        while (start < m_text.size() && (m_text[start] == ' ' || m_text[start] == '\t')) ++start;
        if (start < m_text.size() && m_text[start] == '"') {
            m_position = start;
            bool closed = false;
            m_spans.push_back(readQuoted(closed));
            row.unclosedQuote = row.unclosedQuote || !closed;
        } else {
            m_spans.push_back(readPlain());
        }
        if (m_position >= m_text.size()) break;
        const char end = m_text[m_position++];
        if (end == ',') continue;
        if (end == '\r' && m_position < m_text.size() && m_text[m_position] == '\n') ++m_position;
        ++m_line;
        break;
    }
    row.fields.clear();
    for (const span_t& span : m_spans) {
        const std::string_view source = span.unescaped ? std::string_view(m_unescaped) : m_text;
        row.fields.push_back(source.substr(span.begin, span.size));
    }
    return true;
}

FootballDataCsvReader::span_t FootballDataCsvReader::readPlain() {
    const std::size_t begin = m_position;
    while (m_position < m_text.size() && !isFieldEnd(m_text[m_position])) ++m_position;
    return {false, begin, m_position - begin};
}

FootballDataCsvReader::span_t FootballDataCsvReader::readQuoted(bool& closed) {
    ++m_position;  // the opening quote
    const std::size_t begin = m_position;
    // The field stays a view of the text until a doubled quote has to become one.
    bool copying = false;
    std::size_t copyBegin = 0;
    closed = false;
    while (m_position < m_text.size()) {
        const char c = m_text[m_position];
        if (c == '"') {
            if (m_position + 1 < m_text.size() && m_text[m_position + 1] == '"') {
                if (!copying) {
                    copyBegin = m_unescaped.size();
                    m_unescaped.append(m_text.substr(begin, m_position - begin));
                    copying = true;
                }
                m_unescaped += '"';
                m_position += 2;
                continue;
            }
            closed = true;
            ++m_position;
            break;
        }
        const bool lineBreak =
            c == '\n' || (c == '\r' && (m_position + 1 == m_text.size() || m_text[m_position + 1] != '\n'));
        if (lineBreak) ++m_line;
        if (copying) m_unescaped += c;
        ++m_position;
    }
    span_t span = copying ? span_t{true, copyBegin, m_unescaped.size() - copyBegin}
                          : span_t{false, begin, m_position - (closed ? 1 : 0) - begin};
    if (!closed) return span;

    const span_t rest = readPlain();
    if (rest.size == 0) return span;
    if (!span.unescaped) {
        const std::size_t moved = m_unescaped.size();
        m_unescaped.append(m_text.substr(span.begin, span.size));
        span = {true, moved, span.size};
    }
    m_unescaped.append(m_text.substr(rest.begin, rest.size));
    span.size += rest.size;
    return span;
}

}  // namespace karvola
