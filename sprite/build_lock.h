// Keeps a second build out of a folder while one writes its results there.
#pragma once

#include "platform/error.h"

#include <string>
#include <vector>

namespace tessolo {

// Another build holds the folder: "Cannot lock folder <path>: another build
// is running in this folder". A build refused so can be tried again later.
class FolderBusyError : public FileError {
public:
    explicit FolderBusyError(const std::string& folder);
};

// The lock is taken on each folder itself: it outlives the renames that put
// the outputs in place, needs no name of its own (so no name is
// too long for it) and leaves nothing behind. It is released when the object
// is destroyed.
class BuildLock {
public:
    // Takes the lock of every folder of `folders` (the source folder and
    // those of the outputs) without waiting; a folder named twice is locked
    // once. Throws FolderBusyError when another build holds one, and
    // FileError with the system's reason when one cannot be locked; then no
    // folder stays locked.
    explicit BuildLock(const std::vector<std::string>& folders);
    ~BuildLock();
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

private:
    void Lock(const std::string& folder);
    void Release();

    std::vector<int> fds_;
};

}  // namespace tessolo
