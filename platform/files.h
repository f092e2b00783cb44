// Whole-file reads and crash-safe file writes.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessolo {

// A regular file open for reading, whose size is known before any of it is
// read. It is opened without waiting, so a FIFO or a device is refused at
// once instead of blocking the program. Every failure throws FileOpenError
// with the reason.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // The size when the file was opened.
    std::uint64_t Size() const { return size_; }
    // The first `count` bytes, or all of them when the file is shorter.
    Bytes Head(std::uint64_t count) const;
    // Fills `into` with the bytes at `offset`; false when the file ends first.
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const;
    // The whole file; nothing when it holds more than `limit` bytes: then
    // none are read, or reading stops once the file grows past them.
    std::optional<Bytes> ReadAll(std::uint64_t limit) const;

private:
    // Reads up to `count` bytes at `offset`; fewer only at the end of the file.
    std::size_t ReadUpTo(std::uint64_t offset, std::uint8_t* into, std::size_t count) const;

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Reads a whole regular file, as ReadableFile does.
Bytes ReadFileBytes(const std::string& path);

// A file written under a temporary name beside its final name and then
// renamed over it: a failed write never leaves a truncated file or destroys
// the previous one, and a symbolic link at the final name is replaced, never
// followed. The temporary name is short and hidden, so every final name that
// the file system allows works; the temporary file is removed unless it was
// put in place. While the object lives it holds a lock on its temporary file,
// which tells RemoveStaleTemporaryFiles that the file is in use.
class ReplacementFile {
public:
    // Creates the temporary file in the folder of `path`. Throws
    // FileCreateError with the system's reason.
    explicit ReplacementFile(std::string path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // The final name.
    const std::string& Path() const { return path_; }
    // Appends `data`. Throws Error "Cannot write file <path>: <reason>".
    void Write(std::span<const std::uint8_t> data);
    // Asks the system to start writing the data to disk without waiting, so
    // that several files finished one after another are stored together.
    void StartWriting();
    // Flushes the data to disk; throws Error as Write. The file stays open
    // (and locked) until it is put in place.
    void Finish();
    // Finishes the file if need be and renames it over its final name.
    void PutInPlace();

private:
    [[noreturn]] void Fail(int error) const;

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool finished_ = false;
    bool placed_ = false;
};

// Whether `name` (a file name without folder) is one that a ReplacementFile
// or KeepUnderTemporaryName uses.
bool IsTemporaryFileName(std::string_view name);

// Gives the entry at `path` (a file, or a link itself, not its target) a
// second, temporary name beside it, and returns that name. With `move` the
// entry leaves `path`; without, it stays there too (a hard link), and an
// empty name is returned when the file system cannot link it. Throws Error
// "Cannot write file <path>: <reason>" when it cannot be moved.
std::string KeepUnderTemporaryName(const std::string& path, bool move);

// Removes the temporary files in `folder` that no ReplacementFile holds,
// those of a program that was stopped before it could remove them. Run it
// only while no other program can make temporary names that nothing holds
// (under the folder's build lock). What cannot be removed stays.
void RemoveStaleTemporaryFiles(const std::string& folder);

// Writes `data` through a ReplacementFile and puts it in place.
void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace tessolo
