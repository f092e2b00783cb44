// The program's version strings: ten named values compiled into the program,
// read by the update check and the about window.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

struct VersionValue {
    std::string_view key;
    std::string_view value;
};

// The keys looked up, in the order their values are listed.
inline constexpr std::array<std::string_view, 10> kVersionKeys = {
    "CompanyName",      "FileDescription", "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTradeMarks",  "OriginalFileName", "ProductName", "ProductVersion", "Comments",
};

// Positions in the list of ReadVersionStrings when every key is present.
inline constexpr std::size_t kFileVersionItem = 2;
inline constexpr std::size_t kOriginalFileNameItem = 6;

// The values compiled into this program.
std::span<const VersionValue> ProgramVersionResource();

// Appends to `list` the value of each of kVersionKeys found in `resource`,
// in key order; keys are compared without regard to letter case. A key that
// is missing adds nothing, so the later values move up.
void ReadVersionStrings(std::span<const VersionValue> resource, std::vector<std::string>& list);

// The same for the program's own values.
void ReadVersionStrings(std::vector<std::string>& list);

// The program's "FileVersion", e.g. "1.1.1.20".
std::string ProgramFileVersion();

}  // namespace tessolo
