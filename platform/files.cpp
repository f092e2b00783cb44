#include "platform/files.h"

#include "platform/error.h"
#include "platform/path.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
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

// The template of a temporary name for a file at `path`: hidden, in the
// same folder, and short enough that it fits wherever the final name fits.
std::string TemporaryNameFor(const std::string& path)
{
    return std::string(FolderOf(path)) + std::string(kTemporaryPrefix) + "XXXXXX";
}

// A fresh temporary name beside `path` that nothing has yet.
std::string RandomTemporaryNameFor(const std::string& path)
{
    constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937 random{std::random_device{}()};
    std::string name = TemporaryNameFor(path);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i)
        name[i] = kLetters[random() % kLetters.size()];
    return name;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the file open as `fd` is still the one named `path`.
bool StillNamed(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           SameFile(opened, named);
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

std::size_t ReadableFile::ReadUpTo(std::uint64_t offset, std::uint8_t* into, std::size_t count) const
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(fd_, into + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileOpenError(path_, std::strerror(errno));
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

Bytes ReadableFile::Head(std::uint64_t count) const
{
    Bytes data(std::size_t(std::min(count, size_)));
    data.resize(ReadUpTo(0, data.data(), data.size()));
    return data;
}

bool ReadableFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const
{
    return ReadUpTo(offset, into.data(), into.size()) == into.size();
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

ReplacementFile::ReplacementFile(std::string path) : path_(std::move(path))
{
    // A cleaner that opened the new file before it was locked removes it;
    // another name is then taken.
    for (int attempt = 0;; ++attempt) {
        tempPath_ = TemporaryNameFor(path_);
        fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
        if (fd_ < 0)
            throw FileCreateError(path_, std::strerror(errno));
        int lockError = ::flock(fd_, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
        if (lockError != 0 && lockError != EWOULDBLOCK)
            break;  // a file system without locks: nothing cleans up here either
        if (lockError == 0 && StillNamed(fd_, tempPath_))
            break;
        ::close(fd_);
        fd_ = -1;
        if (attempt == 8)
            throw FileCreateError(path_, "its temporary file was removed as it was made");
    }
    ::fchmod(fd_, NewFileMode());
}

ReplacementFile::~ReplacementFile()
{
    if (!placed_)
        ::unlink(tempPath_.c_str());
    if (fd_ >= 0)
        ::close(fd_);
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
    if (finished_)
        return;
    if (::fsync(fd_) != 0)
        Fail(errno);
    finished_ = true;
}

void ReplacementFile::PutInPlace()
{
    Finish();
    if (::rename(tempPath_.c_str(), path_.c_str()) != 0)
        Fail(errno);
    placed_ = true;
    // The data is on disk already (fsync), so closing can report nothing new.
    ::close(fd_);
    fd_ = -1;
}

std::string KeepUnderTemporaryName(const std::string& path, bool move)
{
    if (move) {
        // The new name is made as a file, which the entry then replaces.
        std::string name = TemporaryNameFor(path);
        int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0 || ::close(fd) != 0 || ::rename(path.c_str(), name.c_str()) != 0) {
            int error = errno;
            if (fd >= 0)
                ::unlink(name.c_str());
            throw Error("Cannot write file " + path + ": " + std::strerror(error));
        }
        return name;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = RandomTemporaryNameFor(path);
        if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, name.c_str(), 0) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return "";
}

void RemoveStaleTemporaryFiles(const std::string& folder)
{
    DIR* entries = ::opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = ::readdir(entries)) {
        if (!IsTemporaryFileName(entry->d_name))
            continue;
        std::string path = InFolder(folder, entry->d_name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        // A link is the kept name of an output that was a link; nothing holds it.
        if (S_ISLNK(st.st_mode)) {
            ::unlink(path.c_str());
            continue;
        }
        if (!S_ISREG(st.st_mode))
            continue;
        // Held by its writer, the lock is refused; taken, it keeps a new
        // writer from claiming the file before it is removed.
        FdCloser file{::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
        if (file.fd >= 0 && ::flock(file.fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(file.fd, path))
            ::unlink(path.c_str());
    }
    ::closedir(entries);
}

void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data)
{
    ReplacementFile file(path);
    file.Write(data);
    file.PutInPlace();
}

}  // namespace tessolo
