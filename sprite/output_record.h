// The record of the data files and preview pages that builds wrote into a
// folder, so that a later build of the same project removes those it no
// longer writes, and only while nobody changed them. It lies beside the
// outputs, in the folder that the build lock holds, as a hidden file.
#pragma once

#include "platform/bytes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// Not a temporary name (".tessolo-" and six characters), so it is kept.
inline constexpr const char* kOutputRecordName = ".tessolo.outputs";

struct RecordedOutput {
    std::string project;
    std::string fileName;  // without folder
    std::uint64_t hash = 0;  // HashBytes of the file as written

    friend bool operator==(const RecordedOutput&, const RecordedOutput&) = default;
};

// The entries of a record's text; a line that is not exactly as
// RecordText writes it is left out, and a text of another form gives none.
std::vector<RecordedOutput> ReadRecord(std::string_view text);
std::string RecordText(const std::vector<RecordedOutput>& entries);

// What a build does with the record of its stylesheet's folder.
struct RecordUpdate {
    // The files of the project's previous build that this build does not
    // write and that are as that build wrote them, to be removed once the
    // outputs are in place.
    std::vector<std::string> staleFiles;
    std::vector<RecordedOutput> entries;  // the new record; empty: none is kept
    bool hadRecord = false;               // a record lies in the folder
    bool blocked = false;  // something else lies at the record's name: no record is kept
    // Whether the build writes the record with the other outputs.
    bool WritesRecord() const { return !blocked && !entries.empty(); }
};

// The update for a build of `project` that writes `written` (file names with
// their bytes) into `folder`. Only names that a build of the project writes
// beside its stylesheet (`project` + one of `extensions`) or as numbered
// sheets ("project-2.png") are ever stale.
struct WrittenFile {
    std::string fileName;
    std::uint64_t hash;
};
RecordUpdate PlanRecordUpdate(const std::string& folder, const std::string& project,
                              const std::vector<WrittenFile>& written,
                              const std::vector<std::string>& extensions);

// Removes the stale files, and the record when no entry is left; what
// cannot be removed stays.
void RemoveStaleOutputs(const std::string& folder, const RecordUpdate& update);

}  // namespace tessolo
