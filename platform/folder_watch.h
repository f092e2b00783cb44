// Waiting for the files of one folder to change, with the events of one
// change (a copy, a save, a rename) taken together.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tessolo {

// When a change has settled: `quiet` after its last counted event, or at the
// latest `longest` after its first one, so that a folder that never stops
// changing still gets its rebuilds.
struct Settling {
    std::chrono::milliseconds quiet{300};
    std::chrono::milliseconds longest{3000};
};

// How often a wait without events looks whether the folder is still there
// and still what its path leads to: neither a folder removed while some
// process works in it nor a link repointed elsewhere makes an event.
inline constexpr std::chrono::milliseconds kFolderCheckInterval{500};

class FolderWatch {
public:
    // Decides whether a change to the file `name` (without folder) counts.
    using NameFilter = std::function<bool(std::string_view name)>;

    enum class Outcome {
        Changed,        // a counted file was created, written, renamed or deleted
        Stopped,        // the stop descriptor became readable
        FolderGone,     // the folder was deleted, moved away or unmounted
        PathRedirected, // the path now leads to another folder, or to nothing
    };

    // Starts watching the files directly inside `folder` (subfolders and
    // their files do not count): the folder that the path leads to now.
    // Throws Error "Cannot watch folder <folder>: <reason>".
    FolderWatch(const std::string& folder, NameFilter counts, Settling settling = {});
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Waits for the next settled change. Events since the previous call
    // (those of a build in between, say) take part. Returns Stopped as soon
    // as `stopFd` is readable, without reading it, even in the middle of a
    // change. Returns FolderGone or PathRedirected rather than Changed once
    // the folder has no link left (even while it is some process's working
    // folder) or its path leads elsewhere; both are looked at on every wake
    // and every kFolderCheckInterval. Throws Error when the system fails the
    // wait.
    Outcome WaitForChange(int stopFd);

private:
    enum class Batch { Nothing, Counted, Gone };
    Batch ReadEvents();
    void Close();
    // FolderGone or PathRedirected when the folder went, nothing when it is
    // still there and still what its path leads to.
    std::optional<Outcome> FolderLost() const;

    std::string folder_;
    NameFilter counts_;
    Settling settling_;
    int fd_ = -1;        // the inotify instance
    int folderFd_ = -1;  // the watched folder itself
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace tessolo
