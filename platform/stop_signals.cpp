#include "platform/stop_signals.h"

#include "platform/error.h"

#include <cerrno>
#include <cstring>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tessolo {

StopSignals::StopSignals()
{
    sigset_t stops;
    ::sigemptyset(&stops);
    ::sigaddset(&stops, SIGINT);
    ::sigaddset(&stops, SIGTERM);
    ::sigaddset(&stops, SIGHUP);
    if (int error = ::pthread_sigmask(SIG_BLOCK, &stops, &previousMask_); error != 0)
        throw Error(std::string("Cannot block the stop signals: ") + std::strerror(error));
    fd_ = ::signalfd(-1, &stops, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        int error = errno;
        ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw Error(std::string("Cannot watch for the stop signals: ") + std::strerror(error));
    }
}

int StopSignals::Arrived()
{
    signalfd_siginfo info;
    if (arrived_ == 0 && ::read(fd_, &info, sizeof info) == ssize_t(sizeof info))
        arrived_ = int(info.ssi_signo);
    return arrived_;
}

StopSignals::~StopSignals()
{
    // A signal already handed over through Fd() must not act a second time
    // once it is unblocked.
    signalfd_siginfo info;
    while (::read(fd_, &info, sizeof info) == ssize_t(sizeof info)) {
    }
    ::close(fd_);
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace tessolo
