// Typed access to one registry key of the current user, kept in a per-user
// file (see registry_key_text.h for its text form). Reads never fail: they fall back to
// the caller's default. The key is read from its file once, when the object
// is made; writes change the object's copy, and only Flush writes the whole
// key back to the file, in one crash-safe step.
#pragma once

#include "settings/registry_key_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

inline constexpr std::string_view kCurrentUserRoot = "HKEY_CURRENT_USER";

class TExtRegistry {
public:
    // Opens the key `path` (absolute below `root`, such as the settings key
    // "\Software\Veltrand\Tessolo") kept in `storeFile`. A missing file
    // gives the empty key and is not created. A file that cannot be read or
    // is damaged gives what could be read and a warning (LoadWarning); so
    // does a folder or other non-file in its place, which is never read.
    TExtRegistry(std::string_view path, std::string_view root, std::string storeFile);
    virtual ~TExtRegistry() = default;
    TExtRegistry(const TExtRegistry&) = delete;
    TExtRegistry& operator=(const TExtRegistry&) = delete;

    // Whether the key holds a value of this name, of any type.
    bool HasValue(std::string_view name) const;

    // The typed reads without a default: nothing when the value is missing
    // or its type or size does not fit the read. A string may be empty.
    std::optional<std::int32_t> ReadInteger(std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view name) const;
    std::optional<std::uint8_t> ReadByte(std::string_view name) const;

    // A 32-bit integer value; `def` unless the value is a four-byte integer.
    std::int32_t ReadIntegerDef(std::string_view name, std::int32_t def) const;
    void WriteIntegerValue(std::string_view name, std::int32_t value);

    // A string value (plain or expandable, taken as it stands) up to its
    // first zero byte; `def` when missing, of another type, or empty.
    std::string ReadStringDef(std::string_view name, const std::string& def) const;
    // Stores `text` up to its first zero byte, as a string read would see it.
    void WriteStringValue(std::string_view name, std::string_view text);

    // A binary (or unknown-type) value of exactly one byte; `def` when
    // missing, empty, longer, or a string or integer.
    std::uint8_t ReadByteDef(std::string_view name, std::uint8_t def) const;
    void WriteByteValue(std::string_view name, std::uint8_t value);

    // Writes every value of the key to the store file, creating its folders:
    // a temporary file in the same folder, flushed to disk and renamed over
    // the old one, so readers and concurrent savers always see one complete
    // store. When the store file is a symbolic link, the file it leads to is
    // replaced that way in its own folder and the link stays. A damaged file
    // read at start is first kept beside it as <file>.bad. Throws Error, with
    // the old store intact, when the file cannot be written, when the path
    // holds a folder or other non-file, and when the store would exceed the
    // 1 MiB that a later start reads.
    void Flush();

    const std::string& StoreFile() const { return storeFile_; }

    // One text telling the user what could not be read at start and that the
    // affected values have their defaults; empty when all was read.
    std::string LoadWarning() const;

protected:
    // Adds a problem found in a stored value to the load warning; the file is
    // then kept as <file>.bad at the next Flush as well.
    void ReportLoadProblem(std::string problem);

private:
    void Open();

    std::string keyName_;
    std::string storeFile_;
    RegistryValues values_;
    std::vector<std::string> problems_;
    bool keepDamagedFile_ = false;
    std::string notAStoreFile_;  // why the path found at start cannot hold the store
};

// A key of the current user.
class OvRegBase : public TExtRegistry {
public:
    // `storeFile` overrides the user's store file (for tests and front ends
    // that let the user choose); empty selects StoreFileForKey(path).
    explicit OvRegBase(std::string_view path, std::string storeFile = {});
    ~OvRegBase() override = default;
};

}  // namespace tessolo
