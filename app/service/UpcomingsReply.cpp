#include "UpcomingsReply.h"

#include <algorithm>

#include "common/Base64.h"

namespace karvola::service {
namespace {

constexpr std::string_view kRequestPrefix = "request=download&uid=";
constexpr std::string_view kOkHead = "[MESSAGE]OK[/MESSAGE][ADDITIONAL_INFO][/ADDITIONAL_INFO][DATA]";
constexpr std::string_view kDataEnd = "[/DATA]";

bool IsKeyCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7F && c != '&';
}

}  // namespace

std::optional<std::string_view> IdentityKeyOf(std::string_view requestBody) {
    if (!requestBody.starts_with(kRequestPrefix)) return std::nullopt;
    const std::string_view key = requestBody.substr(kRequestPrefix.size());
    // A key is one word; anything else after the prefix is another request.
    if (key.empty() || !std::all_of(key.begin(), key.end(), IsKeyCharacter)) return std::nullopt;
    return key;
}

std::string UpcomingsReply(std::string_view status, std::string_view additionalInfo, std::string_view document) {
    std::string reply;
    reply.append("[MESSAGE]").append(status).append("[/MESSAGE]");
    reply.append("[ADDITIONAL_INFO]").append(additionalInfo).append("[/ADDITIONAL_INFO]");
    reply.append("[DATA]").append(EncodeBase64Url(document)).append("[/DATA]");
    return reply;
}

std::string UpcomingsRefusal(std::string_view errorText) {
    return UpcomingsReply(errorText, "", "");
}

UpcomingsOkReply::UpcomingsOkReply(const UpcomingNow& upcoming) : m_matches(upcoming.matches) {
    const auto [version, matches] = m_matches->encodedDocument(upcoming.now);
    m_parts = {kOkHead, version, matches, kDataEnd};
}

std::size_t UpcomingsOkReply::size() const {
    std::size_t size = 0;
    for (const std::string_view part : m_parts) size += part.size();
    return size;
}

bool UpcomingsOkReply::writeFrom(std::size_t offset, const Writer& write) const {
    for (const std::string_view part : m_parts) {
        if (offset < part.size()) return write(part.data() + offset, part.size() - offset);
        offset -= part.size();
    }
    return false;
}

}  // namespace karvola::service
