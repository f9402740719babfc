#include "common/XmlText.h"

#include <pugixml.hpp>

namespace karvola {

namespace {

class StringWriter final : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

}  // namespace

std::string XmlCharacterData(std::string_view text) {
    pugi::xml_document document;
    document.append_child(pugi::node_pcdata).set_value(std::string(text).c_str());
    StringWriter writer;
    document.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    // pugixml writes a CR as it is; as a reference it survives a reader's line-end normalization.
    std::string escaped;
    escaped.reserve(writer.text.size());
    for (const char c : writer.text) {
        if (c == '\r') {
            escaped += "&#13;";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace karvola
