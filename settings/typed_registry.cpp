#include "settings/typed_registry.h"

#include "platform/byte_io.h"
#include "platform/error.h"
#include "platform/files.h"
#include "settings/store_location.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tessolo {

namespace {

// No store of ours comes near this; a larger file is neither read nor written.
constexpr std::uintmax_t kMaxStoreBytes = 1 << 20;

// As many links as the system follows in one path before it gives up.
constexpr int kMaxLinkHops = 40;

std::string_view AsText(const std::vector<std::uint8_t>& data)
{
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

std::span<const std::uint8_t> AsBytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::error_code CreateParentFolders(const std::string& file)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    return error;
}

// `file` in its folder's form without links or dots, when that folder exists.
std::string WithPlainFolder(const std::filesystem::path& file)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::canonical(file.parent_path(), error);
    return error ? file.string() : (folder / file.filename()).string();
}

// The file that `path` names once symbolic links are followed, so that a
// store kept elsewhere through a link is replaced where it lies and the link
// stays. A dangling link gives its target; a loop gives a path that is still
// a link.
std::string FollowLinks(const std::string& path)
{
    std::filesystem::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error)
            return hop == 0 ? path : WithPlainFolder(current);
        current = current.parent_path() / target;  // an absolute target replaces the whole path
    }
    return current.string();
}

// Why a path that exists (as lstat sees it) cannot hold the store.
std::string NotAStoreFileReason(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return "is a folder, not a file";
    if (S_ISLNK(info.st_mode))
        return "leads through too many symbolic links";
    return "is not a regular file";
}

void KeepDamagedFile(const std::string& file)
{
    // A hard link keeps the damaged file while the store stays in place until
    // the new one replaces it; a file system without links gets a rename.
    std::string kept = file + ".bad";
    ::unlink(kept.c_str());
    if (::link(file.c_str(), kept.c_str()) == 0 || errno == ENOENT)
        return;
    if (::rename(file.c_str(), kept.c_str()) != 0 && errno != ENOENT)
        throw Error("Cannot keep the damaged settings file as " + kept + ": " + std::strerror(errno));
}

}  // namespace

TExtRegistry::TExtRegistry(std::string_view path, std::string_view root, std::string storeFile)
    : keyName_(std::string(root) + std::string(path)), storeFile_(std::move(storeFile))
{
    Open();
}

void TExtRegistry::Open()
{
    struct stat info {};
    if (storeFile_.empty() || ::stat(storeFile_.c_str(), &info) != 0)
        return;  // the key starts empty; the first Flush creates the file
    if (!S_ISREG(info.st_mode)) {
        notAStoreFile_ = NotAStoreFileReason(info);
        return;
    }
    if (std::uintmax_t(info.st_size) > kMaxStoreBytes) {
        ReportLoadProblem("the file is larger than 1 MiB");
        return;
    }
    try {
        ParsedKeyFile parsed = ParseKeyFile(AsText(ReadFileBytes(storeFile_)), keyName_);
        values_ = std::move(parsed.values);
        if (!parsed.problem.empty())
            ReportLoadProblem(std::move(parsed.problem));
    } catch (const FileOpenError&) {
        ReportLoadProblem("the file cannot be read");
    }
}

bool TExtRegistry::HasValue(std::string_view name) const
{
    return values_.Find(name) != nullptr;
}

std::optional<std::int32_t> TExtRegistry::ReadInteger(std::string_view name) const
{
    const RegistryValue* value = values_.Find(name);
    if (value == nullptr || value->type != kRegDword || value->data.size() != 4)
        return std::nullopt;
    return std::int32_t(ReadLe32(value->data.data()));
}

std::int32_t TExtRegistry::ReadIntegerDef(std::string_view name, std::int32_t def) const
{
    return ReadInteger(name).value_or(def);
}

void TExtRegistry::WriteIntegerValue(std::string_view name, std::int32_t value)
{
    Bytes data;
    AppendLe32(data, std::uint32_t(value));
    values_.Set(name, {kRegDword, std::move(data)});
}

std::optional<std::string> TExtRegistry::ReadString(std::string_view name) const
{
    const RegistryValue* value = values_.Find(name);
    if (value == nullptr || (value->type != kRegString && value->type != kRegExpandString))
        return std::nullopt;
    std::string_view text = AsText(value->data);
    return std::string(text.substr(0, text.find('\0')));
}

std::string TExtRegistry::ReadStringDef(std::string_view name, const std::string& def) const
{
    std::optional<std::string> text = ReadString(name);
    return text && !text->empty() ? *text : def;
}

void TExtRegistry::WriteStringValue(std::string_view name, std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    values_.Set(name, {kRegString, {text.begin(), text.end()}});
}

std::optional<std::uint8_t> TExtRegistry::ReadByte(std::string_view name) const
{
    const RegistryValue* value = values_.Find(name);
    bool textOrInteger = value != nullptr && (value->type == kRegString ||
                                              value->type == kRegExpandString ||
                                              value->type == kRegDword);
    if (value == nullptr || textOrInteger || value->data.size() != 1)
        return std::nullopt;
    return value->data[0];
}

std::uint8_t TExtRegistry::ReadByteDef(std::string_view name, std::uint8_t def) const
{
    return ReadByte(name).value_or(def);
}

void TExtRegistry::WriteByteValue(std::string_view name, std::uint8_t value)
{
    values_.Set(name, {kRegBinary, {value}});
}

void TExtRegistry::Flush()
{
    if (storeFile_.empty())
        throw Error("Cannot save the settings: the home folder is unknown");
    std::string text = FormatKeyFile(values_, keyName_);
    if (text.size() > kMaxStoreBytes)
        throw Error("Cannot save the settings: they take " + std::to_string(text.size()) +
                    " bytes, more than the 1 MiB that a settings file may hold");
    if (std::error_code error = CreateParentFolders(storeFile_))
        throw Error("Cannot create the folder of " + storeFile_ + ": " + error.message());
    std::string target = FollowLinks(storeFile_);
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw Error("Cannot save the settings: " + storeFile_ + " " + NotAStoreFileReason(info));
    if (keepDamagedFile_)
        KeepDamagedFile(target);
    WriteFileReplacing(target, AsBytes(text));
    keepDamagedFile_ = false;
}

std::string TExtRegistry::LoadWarning() const
{
    if (!notAStoreFile_.empty())
        return "Settings file " + storeFile_ + " " + notAStoreFile_ +
               ". The settings have their default values and cannot be saved there.";
    if (problems_.empty())
        return {};
    std::string warning = "Settings file " + storeFile_ + ": " + problems_[0];
    for (std::size_t i = 1; i < problems_.size(); ++i)
        warning += "; " + problems_[i];
    return warning + ". The affected settings have their default values; the file will be kept as " +
           FollowLinks(storeFile_) + ".bad when the settings are next saved.";
}

void TExtRegistry::ReportLoadProblem(std::string problem)
{
    keepDamagedFile_ = true;
    if (std::find(problems_.begin(), problems_.end(), problem) == problems_.end())
        problems_.push_back(std::move(problem));
}

OvRegBase::OvRegBase(std::string_view path, std::string storeFile)
    : TExtRegistry(path, kCurrentUserRoot, storeFile.empty() ? StoreFileForKey(path) : std::move(storeFile))
{
}

}  // namespace tessolo
