// SIGINT, SIGTERM and SIGHUP (the terminal closed) turned into a descriptor that a waiting loop polls.
#pragma once

#include <signal.h>

namespace tessolo {

// While the object lives these signals are blocked, so they never interrupt
// work half done (a file half written, a temporary file not yet removed):
// they stay pending until the program looks at Fd() between two pieces of
// work and ends in its own time. When the object is destroyed the signals
// that arrived are taken (they have been handled) and the previous signal
// mask comes back.
class StopSignals {
public:
    // Throws Error with the system's reason.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable once one of the signals has arrived.
    int Fd() const { return fd_; }
    // The signal that arrived first, or 0 while none has; does not wait.
    // Takes the signal from Fd(), so a loop polls one or the other.
    int Arrived();

private:
    int fd_ = -1;
    int arrived_ = 0;
    sigset_t previousMask_{};
};

}  // namespace tessolo
