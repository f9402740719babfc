#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/FileSystem.h"
#include "web/HttpClient.h"
#include "web/ServiceHost.h"

namespace karvola {

// The bookmaker directory: a homepage link, a state and a rating per bookmaker
// id, downloaded from the web service at start-up and cached in "links.b64" in
// the application directory for the runs that cannot reach the service.
class AffiliateLinks final {
public:
    static constexpr std::string_view kCacheFileName = "links.b64";

    // An empty directory.
    AffiliateLinks() = default;
    // Downloads the directory, caches it and reads it from the cache. Never
    // throws: after any failure the directory holds what was read before it.
    AffiliateLinks(const std::filesystem::path& applicationDirectory, HttpClient& http, const ServiceHost& host,
                   FileSystem& files);

    // The directory the cache of an earlier run holds; empty without one.
    static AffiliateLinks FromCache(const std::filesystem::path& applicationDirectory, FileSystem& files);

    // The directory a text describes, one bookmaker a line. A line with an
    // opening tag but no closing tag ends the reading; the lines before it stay.
    static AffiliateLinks parse(std::string_view text);

    // The stored texts; "" for an unknown key.
    [[nodiscard]] std::string GetLink(std::string_view key) const;
    [[nodiscard]] std::string GetRating(std::string_view key) const;
    [[nodiscard]] std::string GetState(std::string_view key) const;

    // Whether the directory has an entry for the key.
    [[nodiscard]] bool contains(std::string_view key) const;
    // Whether the key has a homepage to visit: "empty" stands for none.
    [[nodiscard]] bool hasHomepage(std::string_view key) const;
    // Whether the key has a state worth the "Quick info" box.
    [[nodiscard]] bool hasStateInfo(std::string_view key) const;
    // The "Quick info" text of a state; "" for a state it does not describe.
    [[nodiscard]] static std::string_view quickInfo(std::string_view state);

    [[nodiscard]] bool empty() const { return m_links.empty(); }
    // Whether the service gave this directory, rather than the cache.
    [[nodiscard]] bool downloaded() const { return m_downloaded; }
    // The cache that a download could not replace (the old one stays as it was), or
    // nothing: this run has the newer directory, the next run without the service
    // the older one, which the start-up tells the user.
    [[nodiscard]] const std::optional<std::filesystem::path>& unsavedCache() const { return m_unsavedCache; }

    // The same entries; where they came from does not count.
    friend bool operator==(const AffiliateLinks& a, const AffiliateLinks& b) {
        return a.m_links == b.m_links && a.m_ratings == b.m_ratings && a.m_states == b.m_states;
    }

private:
    using Map = std::map<std::string, std::string, std::less<>>;

    // Adds the text's entries; throws std::logic_error where a closing tag is missing.
    void read(std::string_view text);

    Map m_links;
    Map m_ratings;
    Map m_states;
    std::optional<std::filesystem::path> m_unsavedCache;
    bool m_downloaded = false;
};

}  // namespace karvola
