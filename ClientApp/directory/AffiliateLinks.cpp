#include "directory/AffiliateLinks.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "common/Base64.h"
#include "directory/DataAnalyser.h"

namespace karvola {

namespace {

// The service's reply body whatever its status; nothing when the service
// could not be reached (a TransportError) or the exchange failed otherwise.
std::optional<std::string> Download(HttpClient& http, const ServiceHost& host) {
    try {
        return http.Get(host.url("/referals.txt"));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The cache's first run of non-blank characters, decoded; "" without a cache.
std::string ReadCache(FileSystem& files, const std::filesystem::path& file) {
    const std::optional<std::string> content = files.readFile(file);
    if (!content) return {};
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::string_view text = *content;
    const auto begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos) return {};
    const auto end = text.find_first_of(kBlanks, begin);
    return DecodeBase64Url(text.substr(begin, end == std::string_view::npos ? end : end - begin));
}

std::string Find(const std::map<std::string, std::string, std::less<>>& map, std::string_view key) {
    const auto found = map.find(key);
    return found == map.end() ? std::string() : found->second;
}

}  // namespace

AffiliateLinks::AffiliateLinks(const std::filesystem::path& applicationDirectory, HttpClient& http,
                               const ServiceHost& host, FileSystem& files) {
    try {
        const auto cache = applicationDirectory / kCacheFileName;
        if (const auto body = Download(http, host)) {
            AffiliateLinks fresh = parse(*body);
            // A body without a single entry (an error page, an empty reply) is
            // never cached: it would take the place of the last good directory.
            if (!fresh.empty() && !WriteFileAtomically(files, cache, EncodeBase64Url(*body))) {
                // The old cache is kept as it was, but this run has a newer directory.
                *this = std::move(fresh);
                m_unsavedCache = cache;
                m_downloaded = true;
                return;
            }
            m_downloaded = !fresh.empty();
        }
        read(ReadCache(files, cache));
    } catch (...) {
        // The directory is an aid, never a reason to fail the start-up: what
        // was read before the failure stays.
    }
}

AffiliateLinks AffiliateLinks::FromCache(const std::filesystem::path& applicationDirectory, FileSystem& files) {
    AffiliateLinks links;
    try {
        links.read(ReadCache(files, applicationDirectory / kCacheFileName));
    } catch (...) {
        // As after a download: what was read before the failure stays.
    }
    return links;
}

AffiliateLinks AffiliateLinks::parse(std::string_view text) {
    AffiliateLinks links;
    try {
        links.read(text);
    } catch (const std::logic_error&) {
        // A closing tag was missing: the lines before it stay.
    }
    return links;
}

// Each line is read element by element, every search starting where the
// previous element ended; a missing or empty element ends the line there.
void AffiliateLinks::read(std::string_view text) {
    DataAnalyser<DirectDataAcquisitor> analyser;
    analyser.SetContentMask("*");
    const auto element = [&analyser](std::string_view open, std::string_view close) {
        analyser.SetPrefixMask(open);
        analyser.SetSuffixMask(close);
        return analyser.Analyse(true);
    };
    const auto readLine = [this, &element] {
        std::string id = element("[ID]", "[/ID]");
        if (id.empty()) return;
        std::string link = element("[LINK]", "[/LINK]");
        if (link.empty()) return;
        m_links.try_emplace(id, std::move(link));
        std::string state = element("[STATE]", "[/STATE]");
        if (state.empty()) return;
        m_states.try_emplace(id, std::move(state));
        std::string rating = element("[RATED]", "[/RATED]");
        if (!rating.empty()) m_ratings.try_emplace(std::move(id), std::move(rating));
    };
    for (std::size_t start = 0;;) {
        const auto end = text.find('\n', start);
        analyser.Acquire(text.substr(start, end == std::string_view::npos ? end : end - start));
        analyser.SetPosition(0);
        readLine();
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

std::string AffiliateLinks::GetLink(std::string_view key) const {
    return Find(m_links, key);
}

std::string AffiliateLinks::GetRating(std::string_view key) const {
    return Find(m_ratings, key);
}

std::string AffiliateLinks::GetState(std::string_view key) const {
    return Find(m_states, key);
}

bool AffiliateLinks::contains(std::string_view key) const {
    return m_links.contains(key) || m_ratings.contains(key) || m_states.contains(key);
}

bool AffiliateLinks::hasHomepage(std::string_view key) const {
    const auto found = m_links.find(key);
    return found != m_links.end() && !found->second.empty() && found->second != "empty";
}

bool AffiliateLinks::hasStateInfo(std::string_view key) const {
    const auto found = m_states.find(key);
    return found != m_states.end() && !found->second.empty() && found->second != "NOT FOUND";
}

std::string_view AffiliateLinks::quickInfo(std::string_view state) {
    if (state == "CLOSED") return "This bookmaker is no longer active.";
    if (state == "ON LINE") return "This is on-line and active bookmaker.";
    if (state == "STACJONARNY") return "This is off-line and active bookmaker.";
    return "";
}

}  // namespace karvola
