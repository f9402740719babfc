#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace karvola::testing {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1;
};

// Where karvola-cli's downloads go unless a test names a service host: a port
// where nothing listens, so that they are refused at once.
inline constexpr const char* kUnreachableServiceHost = "KARVOLA_SERVICE_HOST=127.0.0.1:9";

// The environment of a karvola-cli child: the test's own, the service host
// replaced by kUnreachableServiceHost, then the extra variables ("NAME=value").
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra = {});

// A list of texts as exec wants it: pointers to them, ended by a null pointer.
// Built before a fork, since the child must not allocate.
class ExecList final {
public:
    explicit ExecList(std::vector<std::string> texts);
    ExecList(const ExecList&) = delete;
    ExecList& operator=(const ExecList&) = delete;

    [[nodiscard]] char* const* data() const { return m_pointers.data(); }

private:
    std::vector<std::string> m_texts;
    std::vector<char*> m_pointers;
};

// karvola-cli's argument list: its path, then the arguments.
ExecList CliArguments(const std::vector<std::string>& arguments);

// Runs the real karvola-cli binary with the arguments, standard input from the
// text and the environment ChildEnvironment gives for the extra variables.
CliRun RunCli(const std::vector<std::string>& arguments, const std::string& input,
              const std::filesystem::path& workFolder, const std::vector<std::string>& environment = {});

// The same with standard output going to the given file (/dev/full for a full
// disk); the run's out stays empty.
CliRun RunCliWritingTo(const std::filesystem::path& output, const std::vector<std::string>& arguments,
                       const std::string& input, const std::filesystem::path& workFolder,
                       const std::vector<std::string>& environment = {});

// karvola-cli on a pseudo-terminal of 80 columns as its standard input, output
// and error; out holds every byte it wrote there, escape sequences included.
CliRun RunCliOnTerminal(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {});

// The same with the child's file size limit (RLIMIT_FSIZE) lowered to `bytes` and
// SIGXFSZ at its default, so that a file written beyond the limit fails as on a
// full disk (or kills a program that does not ignore the signal: status -1). Its
// output goes through pipes, which the limit does not touch.
CliRun RunCliWithFileSizeLimit(const std::vector<std::string>& arguments, const std::string& input,
                               const std::filesystem::path& workFolder, std::uintmax_t bytes,
                               const std::vector<std::string>& environment = {});

std::vector<std::string> Lines(const std::string& text);

}  // namespace karvola::testing
