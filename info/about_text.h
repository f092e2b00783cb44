// The text of the about window.
#pragma once

#include <string>
#include <vector>

namespace tessolo {

// The about window's lines, built from the version strings of
// ReadVersionStrings: the internal name, "Version: " + file version, an
// empty line, the description, an empty line, the copyright and a final
// empty line. No lines for an empty list; throws Error when the list has
// fewer than five values.
std::vector<std::string> AboutTextLines(const std::vector<std::string>& versionStrings);

}  // namespace tessolo
