#include "support/RootPermissionGuard.h"

#include <linux/capability.h>
#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string>
#include <system_error>

namespace karvola::testing {

namespace {

// Writing into a folder without write permission, reading or searching without
// read permission, and the owner's rights over someone else's files.
constexpr int kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER};
// Without these, exec hands a root child every capability again, and access()
// checks a real root with its permitted set instead of its effective one.
constexpr int kRootBits = SECBIT_NOROOT | SECBIT_NO_SETUID_FIXUP;

using CapabilitySets = std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3>;
static_assert(_LINUX_CAPABILITY_U32S_3 == 2, "RootPermissionGuard::m_effective holds two words");

// glibc wraps neither; the raw calls change the calling thread only, which is the point.
bool capabilities(long call, CapabilitySets& sets) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(call, &header, sets.data()) == 0;
}

void restoreEffective(const std::array<std::uint32_t, 2>& effective) {
    CapabilitySets sets{};
    if (!capabilities(SYS_capget, sets)) return;
    for (std::size_t word = 0; word < sets.size(); ++word) sets[word].effective = effective[word];
    capabilities(SYS_capset, sets);
}

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(),
                            std::string("cannot make root obey file permissions: ") + what);
}

}  // namespace

RootPermissionGuard::RootPermissionGuard() {
    CapabilitySets sets{};
    if (!capabilities(SYS_capget, sets)) fail("capget");
    for (std::size_t word = 0; word < sets.size(); ++word) m_effective[word] = sets[word].effective;
    for (const int capability : kOverrides) {
        auto& effective = sets[CAP_TO_INDEX(capability)].effective;
        if ((effective & CAP_TO_MASK(capability)) == 0) continue;
        effective &= ~CAP_TO_MASK(capability);
        m_effectiveLowered = true;
    }
    if (m_effectiveLowered && !capabilities(SYS_capset, sets)) fail("capset");

    if (::getuid() != 0 && ::geteuid() != 0) return;
    const int bits = ::prctl(PR_GET_SECUREBITS);
    if (bits < 0) fail("PR_GET_SECUREBITS");
    if ((bits & kRootBits) == kRootBits) return;
    if (::prctl(PR_SET_SECUREBITS, bits | kRootBits) != 0) {
        const int error = errno;
        if (m_effectiveLowered) restoreEffective(m_effective);
        errno = error;
        fail("PR_SET_SECUREBITS, which needs CAP_SETPCAP");
    }
    m_secureBits = bits;
}

RootPermissionGuard::~RootPermissionGuard() {
    if (m_secureBits >= 0) ::prctl(PR_SET_SECUREBITS, m_secureBits);
    if (m_effectiveLowered) restoreEffective(m_effective);
}

}  // namespace karvola::testing
