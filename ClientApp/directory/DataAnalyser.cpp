#include "directory/DataAnalyser.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "database/ResearchDomainBuilder.h"

namespace karvola {

namespace {

// Positions are 32-bit; beyond that the data counts as ended.
std::int32_t SearchableLength(const std::string& data) {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(data.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

std::size_t Index(std::int32_t position) {
    return static_cast<std::size_t>(position);
}

bool BeginsOrEndsWithStar(std::string_view mask) {
    return !mask.empty() && (mask.front() == '*' || mask.back() == '*');
}

// The shortest start of the text that still holds its first `length`
// characters once runs of "*" count as one, as MaskMatch counts them. A pattern
// without "*" followed by "*" matches the text exactly when it matches this
// start, so a try costs the pattern's length instead of the rest of the data:
// without it, a long line full of the pattern's first character took minutes.
std::string_view MatchWindow(std::string_view text, std::size_t length) {
    std::size_t end = 0;
    for (std::size_t counted = 0; end < text.size() && counted < length; ++counted) {
        if (text[end++] != '*') continue;
        while (end < text.size() && text[end] == '*') ++end;
    }
    return text.substr(0, end);
}

}  // namespace

void DirectDataAcquisitor::Acquire(std::string_view source) {
    m_data = source;
}

template <typename Acquisitor>
void DataAnalyser<Acquisitor>::SetPrefixMask(std::string_view mask) {
    if (BeginsOrEndsWithStar(mask)) throw std::logic_error("Prefix mask cannot begin or end with \"*\" character");
    m_prefixMask = mask;
}

template <typename Acquisitor>
void DataAnalyser<Acquisitor>::SetSuffixMask(std::string_view mask) {
    if (BeginsOrEndsWithStar(mask)) throw std::logic_error("Suffix mask cannot begin or end with \"*\" character");
    m_suffixMask = mask;
}

// After a failed try the scan skips to the next character equal to the
// pattern's first one, taken literally even when it is a wildcard: a pattern
// starting with "?", "#" or "@" is tried only where that very character stands.
template <typename Acquisitor>
bool DataAnalyser<Acquisitor>::search(std::string_view pattern) {
    const std::string& data = this->m_data;
    const std::int32_t length = SearchableLength(data);
    const std::string open = std::string(pattern) + "*";
    const bool starFree = pattern.find('*') == std::string_view::npos;
    m_position = std::max<std::int32_t>(m_position, 0);
    while (m_position < length) {
        std::string_view rest = std::string_view(data).substr(Index(m_position));
        if (starFree) rest = MatchWindow(rest, pattern.size() + 1);
        if (MaskMatch(open, rest)) return true;
        ++m_position;
        while (m_position < length && data[Index(m_position)] != pattern.front()) ++m_position;
    }
    m_position = length;
    return false;
}

template <typename Acquisitor>
std::string DataAnalyser<Acquisitor>::Analyse(bool strict) {
    if (m_prefixMask.empty() || m_suffixMask.empty()) {
        throw std::logic_error("Cannot analize data because prefix or suffix mask is empty");
    }
    const std::string& data = this->m_data;
    if (data.empty()) return "";
    if (m_position == -1) m_position = 0;

    if (!search(m_prefixMask)) return "";
    const std::int32_t p = m_position;
    m_position = std::min(p + 1, SearchableLength(data));
    if (!search(m_suffixMask)) {
        if (strict) throw std::logic_error("Suffix string for mask \"" + m_suffixMask + "\" not found.");
        return "";
    }
    const std::int32_t q = m_position;

    // Where the prefix ends: the shortest cut m for which data[p, m) matches
    // the prefix followed by "*", found by bisection between p + 1 and q - 1.
    const std::string open = m_prefixMask + "*";
    const auto prefixEndsBefore = [&](std::int32_t m) {
        return MaskMatch(open, std::string_view(data).substr(Index(p), Index(m - p)));
    };
    std::string value;
    std::int32_t lo = p + 1;
    std::int32_t hi = q - 1;
    std::int32_t m = hi;
    bool found = false;
    while (hi - lo > 0) {
        if (prefixEndsBefore(m)) {
            hi = m;
            m = m - lo < 2 ? lo : (m + lo) / 2;
        } else if (hi - lo == 1) {
            value = data.substr(Index(m + 1), Index(q - m - 1));
            found = true;
            break;
        } else {
            lo = m;
            m = (m + hi) / 2;
        }
    }
    // The bisection never tries the cut right after p, so a prefix that one
    // character already completes would give nothing: its value starts there.
    if (!found && prefixEndsBefore(p + 1)) value = data.substr(Index(p + 1), Index(q - p - 1));

    if (m_contentMask.empty() || MaskMatch(m_contentMask, value)) return value;
    if (strict) {
        throw std::logic_error("Content is invalid. String = \"" + value + "\", mask = \"" + m_contentMask + "\".");
    }
    return "";
}

template class DataAnalyser<DirectDataAcquisitor>;

}  // namespace karvola
