#include "platform/folder_watch.h"

#include "platform/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <utility>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
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
    // The folder is held open, so that its own state can be asked whatever
    // becomes of its path.
    struct stat st {};
    folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0 || ::fstat(folderFd_, &st) != 0) {
        int error = errno;
        Close();
        Fail(folder_, error);
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || ::inotify_add_watch(fd_, folder_.c_str(),
                                       kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                           IN_EXCL_UNLINK) < 0) {
        int error = errno;
        Close();
        Fail(folder_, error);
    }
}

FolderWatch::~FolderWatch() { Close(); }

void FolderWatch::Close()
{
    for (int* fd : {&fd_, &folderFd_})
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1));
}

std::optional<FolderWatch::Outcome> FolderWatch::FolderLost() const
{
    // A folder removed while it is a working folder gets no event of its
    // own, but it has no link left.
    struct stat st {};
    if (::fstat(folderFd_, &st) != 0 || st.st_nlink == 0)
        return Outcome::FolderGone;
    if (::stat(folder_.c_str(), &st) != 0 || st.st_dev != device_ || st.st_ino != inode_)
        return Outcome::PathRedirected;
    return std::nullopt;
}

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
        std::chrono::milliseconds timeout = kFolderCheckInterval;
        if (first) {
            Clock::time_point settled = std::min(*last + settling_.quiet, *first + settling_.longest);
            Clock::time_point now = Clock::now();
            if (now >= settled)
                return Outcome::Changed;  // the folder was looked at after the last wait
            timeout = std::min(timeout,
                               std::chrono::ceil<std::chrono::milliseconds>(settled - now));
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {fd_, POLLIN, 0}};
        if (::poll(fds, 2, int(timeout.count())) < 0) {
            if (errno == EINTR)
                continue;
            Fail(folder_, errno);
        }
        if (fds[0].revents != 0)
            return Outcome::Stopped;
        switch (fds[1].revents != 0 ? ReadEvents() : Batch::Nothing) {
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
        if (std::optional<Outcome> lost = FolderLost()) {
            // A move that came after the poll has its event waiting already.
            return ReadEvents() == Batch::Gone ? Outcome::FolderGone : *lost;
        }
    }
}

}  // namespace tessolo
