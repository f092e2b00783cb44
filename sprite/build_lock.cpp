#include "sprite/build_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

BuildLock::BuildLock(const std::vector<std::string>& folders)
{
    try {
        for (const std::string& folder : folders)
            Lock(folder);
    } catch (...) {
        Release();
        throw;
    }
}

BuildLock::~BuildLock() { Release(); }

void BuildLock::Lock(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        CannotLock(folder, errno);
    // A second lock on a folder this build holds would find it busy.
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        CannotLock(folder, error);
    }
    for (int held : fds_) {
        struct stat other {};
        if (::fstat(held, &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino) {
            ::close(fd);
            return;
        }
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw FolderBusyError(folder);
        CannotLock(folder, error);
    }
    fds_.push_back(fd);
}

void BuildLock::Release()
{
    for (int fd : fds_)
        ::close(fd);
    fds_.clear();
}

}  // namespace tessolo
