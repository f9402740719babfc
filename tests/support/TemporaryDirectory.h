#pragma once

#include <filesystem>

namespace karvola::testing {

// A fresh folder under the system's temporary folder, removed with its content
// when the object goes. Tests write nowhere else.
class TemporaryDirectory final {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace karvola::testing
