#pragma once

#include <string>
#include <string_view>

namespace karvola {

// The text as XML character data: pugixml escapes "&", "<" and ">", and a CR
// becomes a reference, which an XML reader would otherwise turn into LF.
// The bytes are passed through as they are, whatever their encoding.
[[nodiscard]] std::string XmlCharacterData(std::string_view text);

}  // namespace karvola
