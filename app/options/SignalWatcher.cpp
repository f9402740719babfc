#include "options/SignalWatcher.h"

#include <csignal>
#include <cstdlib>

namespace karvola::options {

namespace {

// SIGUSR2 only tells the watching thread that the program ends normally.
sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR2);
    return set;
}

int NextSignal(const sigset_t& set) {
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    return signal;
}

}  // namespace

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal, AfterSignal after) : m_onSignal(std::move(onSignal)) {
    const sigset_t set = WatchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_thread = std::thread([this, set, after] {
        int signal = NextSignal(set);
        if (signal == SIGUSR2) return;
        m_onSignal(signal);
        if (after == AfterSignal::ExitProcess) std::_Exit(128 + signal);
        // The program is ending; a user who insists does not wait for it.
        signal = NextSignal(set);
        if (signal != SIGUSR2) std::_Exit(128 + signal);
    });
}

SignalWatcher::~SignalWatcher() {
    pthread_kill(m_thread.native_handle(), SIGUSR2);
    m_thread.join();
}

}  // namespace karvola::options
