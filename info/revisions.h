// The revisions file on the update server: a line holding "[revisions]",
// then one line per program, "name,version".
#pragma once

#include "info/version_number.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// Whether a response body is a revisions file at all (an error page is not).
bool IsRevisionsFile(std::string_view body);

// Splits text into lines at CR LF, LF or CR.
std::vector<std::string> SplitLines(std::string_view text);

// The newer version of this program that a revisions file offers.
struct RevisionOffer {
    std::string versionText;  // as the file writes it, without a checksum
    VersionNumber version;
    std::string sha256;       // the installer's SHA-256 in lower-case hex; empty when not listed
};

// What a revisions file says about this program.
struct RevisionsReading {
    // The greatest version above the running one; of equal ones, the first.
    std::optional<RevisionOffer> newest;
    // The version texts that are not version numbers, in file order.
    std::vector<std::string> unreadable;
};

// Reads the lines after the first that name `programName` exactly (letter
// case included). The name is the text before a line's first comma, the
// version the text after it; the version may be followed by ",sha256=" and
// the 64 hexadecimal digits of the installer's SHA-256. Throws Error when
// `currentVersion` itself is not a version number.
RevisionsReading ReadRevisions(std::string_view body, std::string_view programName,
                               std::string_view currentVersion);

}  // namespace tessolo
