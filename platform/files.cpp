#include "platform/files.h"

#include "platform/error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessolo {

namespace {

// Closes a descriptor when it goes out of scope.
struct FdCloser {
    int fd;
    ~FdCloser() { if (fd >= 0) ::close(fd); }
};

}  // namespace

Bytes ReadFileBytes(const std::string& path)
{
    FdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    struct stat st {};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        throw FileOpenError(path);
    Bytes data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t chunk[65536];
    for (;;) {
        ssize_t got = ::read(file.fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileOpenError(path);
        if (got == 0)
            break;
        data.insert(data.end(), chunk, chunk + got);
    }
    return data;
}

void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data)
{
    std::string temp = path + ".XXXXXX";
    FdCloser file{::mkstemp(temp.data())};
    if (file.fd < 0)
        throw FileCreateError(path);
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.fd, 0666 & ~mask);

    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        throw Error("Cannot write file " + path + ": " + std::strerror(err));
    };
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t put = ::write(file.fd, data.data() + done, data.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            fail(put < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(put);
    }
    if (::fsync(file.fd) != 0)
        fail(errno);
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0)
        fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        fail(errno);
}

}  // namespace tessolo
