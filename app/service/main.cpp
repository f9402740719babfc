// karvola-service: the web service the program talks to, on loopback by default.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "ContentFolder.h"
#include "KarvolaService.h"
#include "RequestLog.h"
#include "ServiceOptions.h"
#include "options/SignalWatcher.h"

namespace {

using karvola::service::ServiceOptions;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

int Serve(const ServiceOptions& options) {
    std::signal(SIGPIPE, SIG_IGN);
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto content =
        options.content ? std::optional(*options.content) : karvola::service::FindSampleContent(program);
    if (!content) {
        std::fprintf(stderr, "karvola-service: no sample content beside %s; name a folder with --content DIR\n",
                     program.c_str());
        return 1;
    }

    std::unique_ptr<std::FILE, FileCloser> logFile;
    if (options.log) {
        logFile.reset(std::fopen(options.log->c_str(), "a"));
        if (!logFile) {
            std::fprintf(stderr, "karvola-service: cannot write the log %s: %s\n", options.log->c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    karvola::service::RequestLog log(logFile ? logFile.get() : stdout);
    log.hold();
    try {
        karvola::service::ContentFolder folder(
            *content, [&log](const std::string& text) { log.note(std::chrono::system_clock::now(), text); },
            {.shiftToNow = options.shiftToNow});
        karvola::service::KarvolaService service(folder, log);
        const int port = service.bind(options.listen);
        // The first line says where the service is; scripts and tests read the port from it.
        const std::string host =
            options.listen.host.find(':') == std::string::npos ? options.listen.host : "[" + options.listen.host + "]";
        std::printf("karvola-service: listening on %s:%d, content from %s%s\n", host.c_str(), port,
                    folder.folder().c_str(), options.shiftToNow ? ", kick-offs shifted to begin a day from now" : "");
        if (!options.listen.isLoopback()) {
            std::printf("karvola-service: %s is reachable from other machines\n", options.listen.host.c_str());
        }
        std::fflush(stdout);
        log.release();
        // Before the server's threads, so that they leave the signals to it.
        const karvola::options::SignalWatcher signals([&service](int) { service.stop(); },
                                                      karvola::options::SignalWatcher::AfterSignal::Return);
        service.run();
        log.note(std::chrono::system_clock::now(), "stopped");
    } catch (const std::exception& failure) {
        log.release();
        std::fprintf(stderr, "karvola-service: %s\n", failure.what());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = karvola::service::ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* early = std::get_if<karvola::options::EarlyExit>(&parsed)) return early->deliver();
    return Serve(std::get<ServiceOptions>(parsed));
}
