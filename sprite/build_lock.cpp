#include "sprite/build_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessolo {

BuildLock::~BuildLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string BuildLock::Take(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        heldElsewhere_ = error == EWOULDBLOCK;
        return heldElsewhere_ ? "another build is running in this folder"
                                    : std::strerror(error);
    }
    fd_ = fd;
    return "";
}

}  // namespace tessolo
