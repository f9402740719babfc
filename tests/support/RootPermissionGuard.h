#pragma once

#include <array>
#include <cstdint>

namespace karvola::testing {

// While it lives, root meets file permissions as their owner would, so that a
// read-only folder refuses a save under root as it does under anyone else (CI runs
// the tests as root). The calling thread leaves the capabilities that override
// permissions out of its effective set; threads it starts meanwhile inherit that.
// Programs it starts meanwhile get no capabilities at exec (SECBIT_NOROOT), and
// access() no longer takes them back for a real root (SECBIT_NO_SETUID_FIXUP).
// Both are restored when it goes. Nothing changes for a user without them.
// Throws when they cannot be dropped: the test would pass for the wrong reason.
class RootPermissionGuard final {
public:
    RootPermissionGuard();
    ~RootPermissionGuard();
    RootPermissionGuard(const RootPermissionGuard&) = delete;
    RootPermissionGuard& operator=(const RootPermissionGuard&) = delete;

private:
    // The effective set before, a word per 32 capabilities, when the guard lowered it.
    std::array<std::uint32_t, 2> m_effective{};
    bool m_effectiveLowered = false;
    int m_secureBits = -1;  // before the guard, when it changed them
};

}  // namespace karvola::testing
