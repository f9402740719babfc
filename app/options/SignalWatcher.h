#pragma once

#include <pthread.h>

#include <functional>
#include <thread>

namespace karvola::options {

// Turns SIGINT, SIGTERM and SIGHUP into a call on a thread of its own, so that
// the program can finish its work in order (the configuration is written at the
// end of every run, a server answers the requests it has begun) instead of dying
// in the middle of a line. Build it before any other thread: the signals are
// blocked in the calling thread and in every thread created after it.
class SignalWatcher final {
public:
    enum class AfterSignal {
        ExitProcess,  // the process then ends with 128 + the signal's number
        Return,       // the program ends on its own; a second signal ends it at once
    };

    // The callback gets the signal number.
    explicit SignalWatcher(std::function<void(int)> onSignal, AfterSignal after = AfterSignal::ExitProcess);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    std::function<void(int)> m_onSignal;
    std::thread m_thread;
};

}  // namespace karvola::options
