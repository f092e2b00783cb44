#include "sprite/build_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessolo {

namespace {

constexpr const char* kBusyReason = "another build is running in this folder";

[[noreturn]] void CannotLock(const std::string& folder, int error)
{
    throw FileError("Cannot lock folder " + folder + ": " + std::strerror(error),
                    std::strerror(error));
}

}  // namespace

FolderBusyError::FolderBusyError(const std::string& folder)
    : FileError("Cannot lock folder " + folder + ": " + kBusyReason, kBusyReason)
{
}

BuildLock::BuildLock(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        CannotLock(folder, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw FolderBusyError(folder);
        CannotLock(folder, error);
    }
    fd_ = fd;
}

BuildLock::~BuildLock() { ::close(fd_); }

}  // namespace tessolo
