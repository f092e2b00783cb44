// The text form of one registry key kept in a file, as registry export files
// write it:
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\Software\Veltrand\Tessolo]
//     "DefaultPath"="/home/ann"
//     "Orientation"=hex:02
//     "ResizeWidth"=dword:00000140
//
// Names and strings are UTF-8 in double quotes with \\ and \" escaped. Other
// types appear as hex(N): byte lists (a string holding a line break or a
// zero byte is written that way too, as type 1). A byte list may continue on
// the next line after a final backslash; lines starting with ';' are comments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessolo {

// Value type codes, as the registry numbers them.
enum RegistryType : std::uint32_t {
    kRegString = 1,
    kRegExpandString = 2,
    kRegBinary = 3,
    kRegDword = 4,  // four bytes, little-endian
};

struct RegistryValue {
    std::uint32_t type = kRegBinary;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The values of one key in the order they were first set. Names compare
// without regard to ASCII case, as in the registry.
class RegistryValues {
public:
    struct Entry {
        std::string name;
        RegistryValue value;
    };

    const RegistryValue* Find(std::string_view name) const;
    void Set(std::string_view name, RegistryValue value);
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
    // Where each name is in entries_, keyed by the name in ASCII lower case,
    // so that loading a large store stays linear in its size.
    std::unordered_map<std::string, std::size_t> positions_;
};

struct ParsedKeyFile {
    RegistryValues values;
    std::string problem;  // what could not be read, empty when all was read
};

// Reads the values of the key named `keyName` (root and path, as in the
// section header). A file that does not begin with REGEDIT4 gives no values;
// otherwise every line that cannot be used (damaged, outside the key, or in
// another key's section) is skipped and counted in `problem`. A value set
// twice keeps the later setting.
ParsedKeyFile ParseKeyFile(std::string_view text, std::string_view keyName);

std::string FormatKeyFile(const RegistryValues& values, std::string_view keyName);

}  // namespace tessolo
