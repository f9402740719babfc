#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/TerminalSink.h"

namespace karvola::testing {

// Keeps every terminal line in memory, for tests to compare.
class RecordingSink final : public TerminalSink {
public:
    void appendLine(std::string_view line) override;
    void clearScreen() override;

    [[nodiscard]] std::vector<std::string> lines() const;
    [[nodiscard]] int clearCount() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    int m_clearCount = 0;
};

}  // namespace karvola::testing
