#pragma once

#include <ctime>

#include "common/Clock.h"

namespace karvola::testing {

// A clock that always shows the same second.
class FixedClock final : public Clock {
public:
    explicit FixedClock(std::time_t now) : m_now(now) {}
    [[nodiscard]] std::time_t now() const override { return m_now; }

private:
    std::time_t m_now;
};

}  // namespace karvola::testing
