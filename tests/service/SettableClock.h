#pragma once

#include <atomic>
#include <ctime>

#include "common/Clock.h"

namespace karvola::testing {

// A clock the test sets while the service's threads read it.
class SettableClock final : public Clock {
public:
    explicit SettableClock(std::time_t now) : m_now(now) {}
    [[nodiscard]] std::time_t now() const override { return m_now.load(); }
    void set(std::time_t now) { m_now.store(now); }

private:
    std::atomic<std::time_t> m_now;
};

}  // namespace karvola::testing
