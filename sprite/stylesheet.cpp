#include "sprite/stylesheet.h"

#include "platform/error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tessolo {

const char* const kLineStyleTexts[2] = {
    ".class { background-position: -Xpx -Ypx }",
    ".class { background-position: -Xpx -Ypx; width: Wpx; height: Hpx; }",
};

namespace {

// The CSS offset for an image at `offset`: negated, and 0 rather than -0.
std::string Negated(std::int32_t offset)
{
    return std::to_string(-std::int64_t(offset));
}

}  // namespace

std::string StylesheetLine(std::string_view classText, std::string_view name,
                           std::int32_t x, std::int32_t y, std::int32_t width,
                           std::int32_t height, int lineStyle)
{
    std::string line;
    line.append(classText).append("-").append(name);
    line.append(" { background-position: ").append(Negated(x)).append("px ").append(Negated(y));
    if (lineStyle == kPositionAndSize)
        line.append("px; width: ").append(std::to_string(width))
            .append("px; height: ").append(std::to_string(height)).append("px; }");
    else
        line.append("px }");
    return line;
}

StylesheetFile::~StylesheetFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool StylesheetFile::Open(const std::string& path)
{
    // Lock before emptying, so a build cannot wipe a stylesheet that another
    // build is still writing.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return false;
    }
    path_ = path;
    fd_ = fd;
    return true;
}

void StylesheetFile::WriteLine(std::string_view line)
{
    std::string bytes(line);
    bytes += "\r\n";
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            throw Error("Cannot write file " + path_ + ": " +
                        std::strerror(put < 0 ? errno : ENOSPC));
        done += std::size_t(put);
    }
}

void StylesheetFile::Close()
{
    int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0)
        throw Error("Cannot write file " + path_ + ": " + std::strerror(errno));
}

}  // namespace tessolo
