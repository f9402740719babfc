#pragma once

#include <string>
#include <string_view>

namespace karvola {

// Base64 with the URL-safe alphabet ("-" and "_" in place of "+" and "/"), "="
// padding and no line breaks: the form of the service's payloads and of the
// bookmaker directory's cache.
[[nodiscard]] std::string EncodeBase64Url(std::string_view bytes);

// Reads characters from the start and stops at the first "=" or at the first
// character outside the alphabet (a line break included), so a standard-alphabet
// "+" or "/" ends the data. Each whole group of four characters gives three bytes;
// a final group of two or three gives one or two, a single leftover nothing.
[[nodiscard]] std::string DecodeBase64Url(std::string_view text);

}  // namespace karvola
