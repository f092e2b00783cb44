// The files of one piece of work (a build's sheets, stylesheet and data
// files), replaced together or not at all.
#pragma once

#include "platform/files.h"

#include <memory>
#include <string>
#include <vector>

namespace tessolo {

// Each file is written under a temporary name (see ReplacementFile). Putting
// the set in place first checks every final name and keeps each previous
// file under a temporary name, then renames the files in the order they were
// added; when a rename fails, the files already renamed are put back, so the
// previous files stay as they were and no temporary file is left. A reader
// who opens a file added late and then one added early never finds the
// early one older than the late one. Use it under the folder's build lock:
// the kept previous files are not locked (see RemoveStaleTemporaryFiles).
class OutputSet {
public:
    OutputSet() = default;
    ~OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;

    // Starts the file that will replace `path`; throws FileCreateError.
    ReplacementFile& Add(const std::string& path);
    // Adds a file that was started before.
    void Add(std::unique_ptr<ReplacementFile> file);
    // Stores every file on disk, all of them at once; throws Error.
    void Finish();
    // Checks that every final name can be replaced (it is not a folder, it
    // is not too long for the file system, its folder can be searched) and
    // keeps the previous files. Throws Error "Cannot write file <path>:
    // <reason>" for the first that cannot; nothing visible changes.
    void Prepare();
    // Finishes and prepares the set if need be and renames every file over
    // its final name, in order; throws Error with the previous files back.
    void PutInPlace();

private:
    struct Entry {
        std::unique_ptr<ReplacementFile> file;
        bool hadPrevious = false;
        std::string kept;    // the previous file's temporary name
        bool moved = false;  // the previous file left its name for `kept`
        bool placed = false;
    };
    // Puts back the previous files of the first `placed` entries and of the
    // entry after them, whose rename failed.
    void PutBack(std::size_t placed);

    std::vector<Entry> entries_;
    bool prepared_ = false;
};

}  // namespace tessolo
