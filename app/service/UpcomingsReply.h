#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "UpcomingMatches.h"

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

// The "OK" reply with the matches that have not kicked off, the same text as
// UpcomingsReply("OK", "", upcoming.document()) gives, made of the framing and
// the matches' own encoded text, which it holds on to instead of copying it.
class UpcomingsOkReply final {
public:
    using Writer = std::function<bool(const char* data, std::size_t size)>;

    explicit UpcomingsOkReply(const UpcomingNow& upcoming);

    [[nodiscard]] std::size_t size() const;
    // Writes what follows the first `offset` bytes, or a first piece of it;
    // false when the writer fails or nothing is left.
    bool writeFrom(std::size_t offset, const Writer& write) const;

private:
    std::shared_ptr<const UpcomingMatches> m_matches;
    std::array<std::string_view, 4> m_parts;
};

inline constexpr std::string_view kInvalidRequest = "Error : Invalid request";
inline constexpr std::string_view kUnknownIdentityKey = "Error : Unknown identity key";

}  // namespace karvola::service
