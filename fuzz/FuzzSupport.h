#pragma once

// What the harnesses share: the input as text, a way to cut it into the several
// inputs a parser takes, and stand-ins for the disk, the clock and the terminal.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"
#include "common/TerminalSink.h"

namespace karvola::fuzz {

inline std::string_view TextOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its first line feeds: a harness that takes a mask and a text
// reads "mask\ntext", so that the corpus stays readable. The last part holds the
// rest, line feeds included; missing parts are empty.
inline std::vector<std::string_view> SplitLines(std::string_view text, std::size_t parts) {
    std::vector<std::string_view> result;
    while (result.size() + 1 < parts) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) break;
        result.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    result.push_back(text);
    result.resize(parts);
    return result;
}

// A fault the harness itself detects, told with its place: libFuzzer saves the
// input as a crash. (Clang 14 has no std::source_location, hence the macros.)
[[noreturn]] inline void Fault(const char* file, int line) {
    std::fprintf(stderr, "fault found at %s:%d\n", file, line);
    std::abort();
}
#define KARVOLA_FUZZ_FAULT() ::karvola::fuzz::Fault(__FILE__, __LINE__)
#define KARVOLA_FUZZ_EXPECT(condition)          \
    do {                                        \
        if (!(condition)) KARVOLA_FUZZ_FAULT(); \
    } while (false)

// A disk in memory: every file a text, every write kept only on commit.
class MemoryFileSystem final : public FileSystem {
public:
    std::optional<std::string> readFile(const std::filesystem::path& file) override {
        const auto found = m_files.find(file);
        if (found == m_files.end()) return std::nullopt;
        return found->second;
    }
    std::unique_ptr<ReplacementFile> replaceFile(const std::filesystem::path& file) override {
        return std::make_unique<Replacement>(*this, file);
    }
    bool exists(const std::filesystem::path& file) override { return m_files.contains(file); }

    void put(const std::filesystem::path& file, std::string content) { m_files[file] = std::move(content); }

private:
    class Replacement final : public ReplacementFile {
    public:
        Replacement(MemoryFileSystem& files, std::filesystem::path file) : m_files(files), m_file(std::move(file)) {}
        bool write(std::string_view data) override {
            m_content.append(data);
            return true;
        }
        bool commit() override {
            m_files.put(m_file, std::move(m_content));
            return true;
        }

    private:
        MemoryFileSystem& m_files;
        std::filesystem::path m_file;
        std::string m_content;
    };

    std::map<std::filesystem::path, std::string> m_files;
};

// 2023-05-01 12:00 UTC, so that dates and throttles do not depend on the day of the run.
class FixedClock final : public Clock {
public:
    [[nodiscard]] std::time_t now() const override { return 1'682'942'400; }
};

// Drops the terminal's lines but counts them, so that their making is not optimized away.
class CountingSink final : public TerminalSink {
public:
    void appendLine(std::string_view line) override { m_characters += line.size(); }
    void clearScreen() override {}
    [[nodiscard]] std::size_t characters() const { return m_characters; }

private:
    std::size_t m_characters = 0;
};

}  // namespace karvola::fuzz
