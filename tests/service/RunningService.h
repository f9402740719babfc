#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "ContentFolder.h"
#include "KarvolaService.h"
#include "RequestLog.h"
#include "support/TemporaryDirectory.h"

namespace karvola::testing {

// The service in the test's own process, on a loopback port the system chose,
// answering from a copy of the sample content that the test may change. The
// copy has no upcoming matches; a test puts its own into content()/upcoming.
class RunningService final {
public:
    explicit RunningService(service::ServiceLimits limits = {}, service::UpcomingSettings upcoming = {});
    ~RunningService();
    RunningService(const RunningService&) = delete;
    RunningService& operator=(const RunningService&) = delete;

    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] std::string host() const { return "127.0.0.1:" + std::to_string(m_port); }
    [[nodiscard]] const std::filesystem::path& content() const { return m_content; }
    [[nodiscard]] std::filesystem::path outside() const { return m_folder.path(); }
    // The log's lines so far.
    [[nodiscard]] std::string log() const;
    void stop();

private:
    TemporaryDirectory m_folder;
    std::filesystem::path m_content;
    std::filesystem::path m_logFile;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_logStream;
    std::unique_ptr<service::RequestLog> m_log;
    std::unique_ptr<service::ContentFolder> m_contentFolder;
    std::unique_ptr<service::KarvolaService> m_service;
    int m_port = 0;
    std::thread m_thread;
};

}  // namespace karvola::testing
