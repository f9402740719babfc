#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karvola::service {

// The upcoming-matches exchange as the service sees it. The program posts
// "request=download&uid=" followed by the user's identity key, not URL-encoded,
// and reads a reply of three tagged sections: a status ("OK" or a text beginning
// with "Error : "), additional information it does not use, and the document in
// URL-safe Base64.

// The key of a well-formed request body; nothing for any other body.
[[nodiscard]] std::optional<std::string_view> IdentityKeyOf(std::string_view requestBody);

// The whole reply: "[MESSAGE]status[/MESSAGE][ADDITIONAL_INFO]...[/ADDITIONAL_INFO][DATA]...[/DATA]".
[[nodiscard]] std::string UpcomingsReply(std::string_view status, std::string_view additionalInfo,
                                         std::string_view document);

// The reply that refuses a request; the program shows the status as it is.
[[nodiscard]] std::string UpcomingsRefusal(std::string_view errorText);

inline constexpr std::string_view kInvalidRequest = "Error : Invalid request";
inline constexpr std::string_view kUnknownIdentityKey = "Error : Unknown identity key";

// The document of the matches still to be played; its protocol version comes first.
[[nodiscard]] std::string UpcomingsDocument();

}  // namespace karvola::service
