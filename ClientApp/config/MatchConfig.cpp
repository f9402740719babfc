#include "config/MatchConfig.h"

#include <charconv>
#include <ctime>
#include <limits>
#include <pugixml.hpp>
#include <stdexcept>
#include <string_view>
#include <unordered_set>

#include "common/NumberTexts.h"
#include "common/XmlText.h"

namespace karvola {

namespace {

// The element names, compared case-sensitively.
constexpr std::string_view kWorkDirectory = "WorkDirectory";
constexpr std::string_view kDefaultBase = "DefaultBase";
constexpr std::string_view kBndValue = "BNDValue";
constexpr std::string_view kUidKey = "UIDkey";
constexpr std::string_view kMemorizeUid = "MemorizeUID";
constexpr std::string_view kTimeZoneBias = "TimeZoneBias";
constexpr std::string_view kDataSource = "DataSource";
constexpr std::string_view kResultPeResultOptions = "ResultPeResultOptions";
constexpr std::string_view kLeakOfResultSpecificator = "LeakOfResultSpecificator";
constexpr std::string_view kRoot = "KarvolaConfiguration";

// The text of an element: its text and CDATA children joined, nested elements left out.
std::string textOf(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
    }
    return text;
}

// After a parse error pugixml keeps the tree read so far, but the element it was reading, and
// every element around it, may have lost the rest of its text: the last element in document
// order and its ancestors. Their values are not taken.
std::unordered_set<pugi::xml_node_struct*> unfinishedElements(const pugi::xml_document& document) {
    std::unordered_set<pugi::xml_node_struct*> unfinished;
    pugi::xml_node node = document;
    for (;;) {
        pugi::xml_node lastElement;
        for (pugi::xml_node child = node.last_child(); child; child = child.previous_sibling()) {
            if (child.type() == pugi::node_element) {
                lastElement = child;
                break;
            }
        }
        if (!lastElement) break;
        unfinished.insert(lastElement.internal_object());
        node = lastElement;
    }
    return unfinished;
}

// Every node of the tree in document order, without recursion: a deeply nested file must not
// exhaust the stack.
template <typename Visit>
void forEachElement(const pugi::xml_document& document, Visit visit) {
    pugi::xml_node node = document.first_child();
    while (node) {
        if (node.type() == pugi::node_element) visit(node);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
}

void appendElement(std::string& out, std::string_view name, std::string_view value) {
    out += '\t';
    out += '<';
    out += name;
    out += '>';
    out += XmlCharacterData(value);
    out += "</";
    out += name;
    out += ">\r\n";
}

std::string decimal(int value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

MatchConfig::MatchConfig(std::filesystem::path applicationDirectory, FileSystem& files, const Clock& clock)
    : m_applicationDirectory(std::move(applicationDirectory)), m_files(files), m_bndValue(kDefaultBndValue) {
    LoadConfiguration();
    if (m_timeZoneBias.empty()) m_timeZoneBias = decimal(LocalTimeZoneHours(clock));
    if (m_dataSource.empty()) m_dataSource = (m_applicationDirectory / "DataSource" / "datasource.txt").string();
    if (m_resultPeResultOptions.empty()) m_resultPeResultOptions = kDefaultResultPeResultOptions;
}

void MatchConfig::LoadConfiguration() {
    const std::optional<std::string> content = m_files.readFile(m_applicationDirectory / kFileName);
    if (!content || content->empty()) return;

    pugi::xml_document document;
    // The bytes are taken as they are: the file declares ISO 8859-1, but paths on this system are
    // UTF-8, and either must come back exactly as it was saved. Naming UTF-8 as the encoding stops
    // pugixml from converting. A value of blanks only stays a value (parse_ws_pcdata_single).
    const pugi::xml_parse_result result = document.load_buffer(
        content->data(), content->size(), pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8);
    std::unordered_set<pugi::xml_node_struct*> unfinished;
    if (!result) {
        unfinished = unfinishedElements(document);
        m_loadProblems.push_back(std::string("Warning: ") + kFileName + " is damaged (" + result.description() +
                                 "); the settings after the damage take their defaults.");
    }

    // Elements are taken wherever they stand, in document order; a later one replaces an earlier one.
    forEachElement(document, [&](pugi::xml_node element) {
        if (unfinished.count(element.internal_object()) != 0) return;
        const std::string_view name = element.name();
        if (name == kWorkDirectory) {
            m_workDirectory = textOf(element);
        } else if (name == kDefaultBase) {
            m_defaultBase = textOf(element);
        } else if (name == kUidKey) {
            m_uidKey = textOf(element);
        } else if (name == kMemorizeUid) {
            m_memorizeUID = textOf(element);
        } else if (name == kLeakOfResultSpecificator) {
            m_leakOfResultSpecificators.push_back(textOf(element));
        } else if (name == kBndValue) {
            // An empty label would make every later BND% computation fail; the default is kept instead.
            m_bndValue = textOf(element);
            if (m_bndValue.empty()) m_bndValue = kDefaultBndValue;
            // BND% outside (0, 100] would let opt run over nothing; the properties dialog refuses it too.
            const std::optional<double> bnd = ParseDecimal(m_bndValue);
            if (!bnd || !(*bnd > 0.0 && *bnd <= 100.0)) {
                m_loadProblems.push_back(std::string("Warning: ") + kFileName + ": BNDValue '" + m_bndValue +
                                         "' is not in (0, 100>; " + kDefaultBndValue + " is used.");
                m_bndValue = kDefaultBndValue;
            }
        } else if (name == kTimeZoneBias) {
            // Empty ones are given their defaults by the constructor.
            m_timeZoneBias = textOf(element);
        } else if (name == kDataSource) {
            m_dataSource = textOf(element);
        } else if (name == kResultPeResultOptions) {
            m_resultPeResultOptions = textOf(element);
        }
    });
}

bool MatchConfig::SaveConfiguration() const {
    std::string text = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n";
    text += '<';
    text += kRoot;
    text += ">\r\n";
    appendElement(text, kWorkDirectory, m_workDirectory);
    appendElement(text, kDefaultBase, m_defaultBase);
    appendElement(text, kBndValue, m_bndValue);
    appendElement(text, kUidKey, m_uidKey);
    appendElement(text, kMemorizeUid, m_memorizeUID);
    appendElement(text, kTimeZoneBias, m_timeZoneBias);
    appendElement(text, kDataSource, m_dataSource);
    appendElement(text, kResultPeResultOptions, m_resultPeResultOptions);
    for (const std::string& entry : m_leakOfResultSpecificators) appendElement(text, kLeakOfResultSpecificator, entry);
    text += "</";
    text += kRoot;
    text += ">\r\n";

    // The old file is replaced only once the new one is completely on disk.
    return WriteFileAtomically(m_files, m_applicationDirectory / kFileName, text);
}

int MatchConfig::GetTimeZoneBias() const {
    std::string_view digits = m_timeZoneBias;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // Only digits after the sign: from_chars would take a second '-' and a blank is no number.
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    const bool digitsOnly = !digits.empty() && digits.front() >= '0' && digits.front() <= '9';
    if (!digitsOnly || error != std::errc() || end != digits.data() + digits.size()) {
        throw std::logic_error("Invalid timezone.");
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        throw std::logic_error("Invalid timezone.");
    }
    return static_cast<int>(value);
}

void MatchConfig::SetTimeZoneBias(int hours) {
    m_timeZoneBias = (hours >= 0 ? "+" : "") + decimal(hours);
}

int MatchConfig::LocalTimeZoneHours(const Clock& clock) {
    const std::time_t now = clock.now();
    std::tm universal{};
    if (gmtime_r(&now, &universal) == nullptr) return 0;
    // Let mktime decide whether daylight saving applies, so the bias is the one the local clock
    // shows today (CEST gives 2, not 1): the times it is added to are compared with local time now.
    universal.tm_isdst = -1;
    const std::time_t asLocal = std::mktime(&universal);
    if (asLocal == static_cast<std::time_t>(-1)) return 0;
    return static_cast<int>((now - asLocal) / 3600);
}

}  // namespace karvola
