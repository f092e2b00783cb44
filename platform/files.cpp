#include "platform/files.h"

#include "platform/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tessolo {

namespace {

// Closes a descriptor when it goes out of scope.
struct FdCloser {
    int fd;
    ~FdCloser() { if (fd >= 0) ::close(fd); }
};

// Temporary files are named this prefix and six characters mkostemp picks.
constexpr std::string_view kTemporaryPrefix = ".tessolo-";
constexpr std::size_t kTemporaryNameLength = kTemporaryPrefix.size() + 6;

// The temporary name for a file at `path`: hidden, in the same folder, and
// short enough that it fits wherever the final name fits.
std::string TemporaryNameFor(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    return folder + std::string(kTemporaryPrefix) + "XXXXXX";
}

mode_t NewFileMode()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool IsTemporaryFileName(std::string_view name)
{
    return name.size() == kTemporaryNameLength && name.starts_with(kTemporaryPrefix);
}

ReadableFile::ReadableFile(const std::string& path) : path_(path)
{
    FdCloser file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0)
        throw FileOpenError(path, std::strerror(errno));
    struct stat st {};
    if (::fstat(file.fd, &st) != 0)
        throw FileOpenError(path, std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        throw FileOpenError(path, "not a regular file");
    size_ = std::uint64_t(st.st_size);
    std::swap(fd_, file.fd);
}

ReadableFile::~ReadableFile() { ::close(fd_); }

Bytes ReadableFile::Head(std::uint64_t count) const
{
    Bytes data;
    data.reserve(std::size_t(std::min(count, size_)));
    std::uint8_t chunk[65536];
    while (data.size() < count) {
        auto wanted = std::size_t(std::min<std::uint64_t>(sizeof chunk, count - data.size()));
        ssize_t got = ::pread(fd_, chunk, wanted, off_t(data.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileOpenError(path_, std::strerror(errno));
        if (got == 0)
            break;
        data.insert(data.end(), chunk, chunk + got);
    }
    return data;
}

std::optional<Bytes> ReadableFile::ReadAll(std::uint64_t limit) const
{
    if (size_ > limit)
        return std::nullopt;
    // One byte more than the limit tells a file that grew past it.
    Bytes data = Head(limit == UINT64_MAX ? limit : limit + 1);
    if (data.size() > limit)
        return std::nullopt;
    return data;
}

Bytes ReadFileBytes(const std::string& path) { return *ReadableFile(path).ReadAll(UINT64_MAX); }

ReplacementFile::ReplacementFile(std::string path)
    : path_(std::move(path)), tempPath_(TemporaryNameFor(path_))
{
    fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw FileCreateError(path_, std::strerror(errno));
    ::fchmod(fd_, NewFileMode());
}

ReplacementFile::~ReplacementFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!placed_)
        ::unlink(tempPath_.c_str());
}

void ReplacementFile::Fail(int error) const
{
    throw Error("Cannot write file " + path_ + ": " + std::strerror(error));
}

void ReplacementFile::Write(std::span<const std::uint8_t> data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t put = ::write(fd_, data.data() + done, data.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Fail(put < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(put);
    }
}

void ReplacementFile::StartWriting()
{
    // Only a hint: Finish reports whatever goes wrong.
    if (fd_ >= 0)
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

void ReplacementFile::Finish()
{
    if (fd_ < 0)
        return;
    if (::fsync(fd_) != 0)
        Fail(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        Fail(errno);
}

void ReplacementFile::PutInPlace()
{
    Finish();
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0)
        Fail(errno);
    placed_ = true;
}

void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data)
{
    ReplacementFile file(path);
    file.Write(data);
    file.PutInPlace();
}

}  // namespace tessolo
