// Whole-file reads and crash-safe file writes.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessolo {

// Reads a whole regular file. The file is opened without waiting, so a FIFO
// or a device is refused at once instead of blocking the program. Throws
// FileOpenError with the reason when the file cannot be opened or read or is
// not a regular file.
Bytes ReadFileBytes(const std::string& path);
// Reads at most the first `maxBytes` bytes of a regular file, as ReadFileBytes.
Bytes ReadFileStart(const std::string& path, std::size_t maxBytes);

// A file written under a temporary name beside its final name and then
// renamed over it: a failed write never leaves a truncated file or destroys
// the previous one, and a symbolic link at the final name is replaced, never
// followed. The temporary name is short and hidden, so every final name that
// the file system allows works; the temporary file is removed unless it was
// put in place.
class ReplacementFile {
public:
    // Creates the temporary file in the folder of `path`. Throws
    // FileCreateError with the system's reason.
    explicit ReplacementFile(std::string path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Appends `data`. Throws Error "Cannot write file <path>: <reason>".
    void Write(std::span<const std::uint8_t> data);
    // Asks the system to start writing the data to disk without waiting, so
    // that several files finished one after another are stored together.
    void StartWriting();
    // Flushes the data to disk and closes the file; throws Error as Write.
    void Finish();
    // Finishes the file if need be and renames it over its final name.
    void PutInPlace();

private:
    [[noreturn]] void Fail(int error) const;

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool placed_ = false;
};

// Whether `name` (a file name without folder) is one that a ReplacementFile
// uses while it is written.
bool IsTemporaryFileName(std::string_view name);

// Writes `data` through a ReplacementFile and puts it in place.
void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> data);

}  // namespace tessolo
