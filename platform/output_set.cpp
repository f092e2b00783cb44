#include "platform/output_set.h"

#include "platform/error.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tessolo {

namespace {

[[noreturn]] void Fail(const std::string& path, int error)
{
    throw Error("Cannot write file " + path + ": " + std::strerror(error));
}

}  // namespace

OutputSet::~OutputSet()
{
    // A previous file that was only linked, for a file not put in place, is
    // still at its name. One that could not be put back keeps its temporary
    // name, the only one it has.
    for (Entry& entry : entries_)
        if (!entry.kept.empty() && !entry.moved && !entry.placed)
            ::unlink(entry.kept.c_str());
}

ReplacementFile& OutputSet::Add(const std::string& path)
{
    Add(std::make_unique<ReplacementFile>(path));
    return *entries_.back().file;
}

void OutputSet::Add(std::unique_ptr<ReplacementFile> file)
{
    Entry entry;
    entry.file = std::move(file);
    entries_.push_back(std::move(entry));
}

void OutputSet::Finish()
{
    for (Entry& entry : entries_)
        entry.file->StartWriting();
    for (Entry& entry : entries_)
        entry.file->Finish();
}

void OutputSet::Prepare()
{
    if (prepared_)
        return;
    for (Entry& entry : entries_) {
        const std::string& path = entry.file->Path();
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                Fail(path, EISDIR);
            entry.hadPrevious = true;
        } else if (errno != ENOENT) {
            Fail(path, errno);
        }
    }
    // Without hard links the previous file is moved aside when its turn comes.
    for (Entry& entry : entries_)
        if (entry.hadPrevious)
            entry.kept = KeepUnderTemporaryName(entry.file->Path(), false);
    prepared_ = true;
}

void OutputSet::PutInPlace()
{
    Finish();
    Prepare();
    std::size_t placed = 0;
    try {
        for (; placed < entries_.size(); ++placed) {
            Entry& entry = entries_[placed];
            if (entry.hadPrevious && entry.kept.empty()) {
                entry.kept = KeepUnderTemporaryName(entry.file->Path(), true);
                entry.moved = true;
            }
            entry.file->PutInPlace();
            entry.placed = true;
        }
    } catch (...) {
        PutBack(placed);
        throw;
    }
    for (Entry& entry : entries_) {
        if (!entry.kept.empty())
            ::unlink(entry.kept.c_str());
        entry.kept.clear();
    }
}

void OutputSet::PutBack(std::size_t placed)
{
    // The entry whose rename failed still has its previous file at its name,
    // unless that file was moved aside for it.
    if (placed < entries_.size()) {
        Entry& failed = entries_[placed];
        if (failed.moved && ::rename(failed.kept.c_str(), failed.file->Path().c_str()) == 0)
            failed.kept.clear();
    }
    for (std::size_t i = placed; i-- > 0;) {
        Entry& entry = entries_[i];
        const std::string& path = entry.file->Path();
        if (!entry.hadPrevious)
            ::unlink(path.c_str());
        else if (::rename(entry.kept.c_str(), path.c_str()) == 0)
            entry.kept.clear();
    }
}

}  // namespace tessolo
