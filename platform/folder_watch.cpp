#include "platform/folder_watch.h"

#include "platform/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace tessolo {

namespace {

// Everything that changes which files the folder holds or what they contain.
// IN_MODIFY keeps a change open while a file is still being written.
constexpr std::uint32_t kFileEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE;
// The folder itself went away; the kernel follows with IN_IGNORED.
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& folder, int error)
{
    throw Error("Cannot watch folder " + folder + ": " + std::strerror(error));
}

}  // namespace

FolderWatch::FolderWatch(const std::string& folder, NameFilter counts, Settling settling)
    : folder_(folder), counts_(std::move(counts)), settling_(settling)
{
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        Fail(folder_, errno);
    if (::inotify_add_watch(fd_, folder_.c_str(),
                            kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                IN_EXCL_UNLINK) < 0) {
        int error = errno;
        ::close(fd_);
        Fail(folder_, error);
    }
}

FolderWatch::~FolderWatch() { ::close(fd_); }

FolderWatch::Batch FolderWatch::ReadEvents()
{
    Batch batch = Batch::Nothing;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return batch;
        if (got <= 0)
            Fail(folder_, got < 0 ? errno : EIO);
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & kFolderGone)
                return Batch::Gone;
            if (event->mask & IN_ISDIR)
                continue;  // subfolders hold no files of the folder
            // Lost events may have been anything.
            bool counted = (event->mask & IN_Q_OVERFLOW) ||
                           (event->len > 0 && counts_(std::string_view(event->name)));
            if (counted)
                batch = Batch::Counted;
        }
    }
}

FolderWatch::Outcome FolderWatch::WaitForChange(int stopFd)
{
    std::optional<Clock::time_point> first, last;
    for (;;) {
        int timeout = -1;
        if (first) {
            Clock::time_point settled = std::min(*last + settling_.quiet, *first + settling_.longest);
            Clock::time_point now = Clock::now();
            if (now >= settled)
                return Outcome::Changed;
            timeout = int(std::chrono::ceil<std::chrono::milliseconds>(settled - now).count());
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0) {
            if (errno == EINTR)
                continue;
            Fail(folder_, errno);
        }
        if (fds[0].revents != 0)
            return Outcome::Stopped;
        if (fds[1].revents == 0)
            continue;
        switch (ReadEvents()) {
        case Batch::Gone:
            return Outcome::FolderGone;
        case Batch::Counted:
            last = Clock::now();
            if (!first)
                first = last;
            break;
        case Batch::Nothing:
            break;
        }
    }
}

}  // namespace tessolo
