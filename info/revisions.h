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

// A line of the revisions file that names this program and is worth telling
// the user about.
struct RevisionOffer {
    std::string versionText;               // as the file writes it
    std::optional<VersionNumber> version;  // nullopt: not a version number
};

// The lines after the first that name `programName` exactly (letter case
// included) with a version greater than `currentVersion`, or with a version
// text that cannot be read; in file order. The name is the text before a
// line's first comma, the version the text after it. Throws Error when
// `currentVersion` itself is not a version number.
std::vector<RevisionOffer> FindOffers(std::string_view body, std::string_view programName,
                                      std::string_view currentVersion);

}  // namespace tessolo
