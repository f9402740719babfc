#include "RunningService.h"

#include <chrono>
#include <stdexcept>
#include <utility>

#include "support/FileContent.h"

namespace karvola::testing {

RunningService::RunningService(service::ServiceLimits limits, service::UpcomingSettings upcoming)
    : m_content(m_folder.path() / "content"),
      m_logFile(m_folder.path() / "service.log"),
      m_logStream(nullptr, std::fclose) {
    std::filesystem::create_directory(m_content);
    for (const char* name : {"referals.txt", "advert.txt", "keys.txt"}) {
        std::filesystem::copy_file(std::filesystem::path(KARVOLA_PROJECT_DATA_DIR) / "service" / name,
                                   m_content / name);
    }
    m_logStream.reset(std::fopen(m_logFile.c_str(), "w"));
    if (!m_logStream) throw std::runtime_error("cannot write the service log");
    m_log = std::make_unique<service::RequestLog>(m_logStream.get());
    m_contentFolder = std::make_unique<service::ContentFolder>(
        m_content, [this](const std::string& text) { m_log->note(std::chrono::system_clock::now(), text); },
        std::move(upcoming));
    m_service = std::make_unique<service::KarvolaService>(*m_contentFolder, *m_log, limits);
    m_port = m_service->bind({.host = "127.0.0.1", .port = 0});
    m_thread = std::thread([this] { m_service->run(); });
}

RunningService::~RunningService() {
    stop();
}

void RunningService::stop() {
    if (!m_thread.joinable()) return;
    m_service->stop();
    m_thread.join();
}

std::string RunningService::log() const {
    std::fflush(m_logStream.get());
    return ReadFileContent(m_logFile);
}

}  // namespace karvola::testing
