// Keeps a second build out of a folder while one writes its results there.
#pragma once

#include "platform/error.h"

#include <string>

namespace tessolo {

// Another build holds the folder: "Cannot lock folder <path>: another build
// is running in this folder". A build refused so can be tried again later.
class FolderBusyError : public FileError {
public:
    explicit FolderBusyError(const std::string& folder);
};

// The lock is taken on the folder itself: it outlives the renames that put
// the outputs in place, needs no name of its own (so no name is
// too long for it) and leaves nothing behind. It is released when the object
// is destroyed.
class BuildLock {
public:
    // Takes the lock of `folder` without waiting. Throws FolderBusyError
    // when another build holds it, and FileError with the system's reason
    // when the folder cannot be locked.
    explicit BuildLock(const std::string& folder);
    ~BuildLock();
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

private:
    int fd_ = -1;
};

}  // namespace tessolo
