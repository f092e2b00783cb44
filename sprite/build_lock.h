// Keeps a second build out of a folder while one writes its results there.
#pragma once

#include <string>

namespace tessolo {

// The lock is taken on the folder itself: it outlives the renames that put
// the outputs in place, needs no name of its own (so no name is
// too long for it) and leaves nothing behind. It is released when the object
// is destroyed.
class BuildLock {
public:
    BuildLock() = default;
    ~BuildLock();
    BuildLock(const BuildLock&) = delete;
    BuildLock& operator=(const BuildLock&) = delete;

    // Takes the lock of `folder` without waiting. Returns an empty string, or
    // why it was not taken: the system's reason, or "another build is
    // running in this folder".
    std::string Take(const std::string& folder);
    // Whether the last Take failed because another build held the lock.
    bool HeldElsewhere() const { return heldElsewhere_; }

private:
    int fd_ = -1;
    bool heldElsewhere_ = false;
};

}  // namespace tessolo
