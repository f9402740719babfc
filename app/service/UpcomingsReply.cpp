#include "UpcomingsReply.h"

#include <algorithm>

#include "common/Base64.h"

namespace karvola::service {
namespace {

constexpr std::string_view kRequestPrefix = "request=download&uid=";

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

std::string UpcomingsDocument() {
    return "<VERSION>100</VERSION>\r\n";
}

}  // namespace karvola::service
