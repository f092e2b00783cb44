#include "sprite/output_record.h"

#include "platform/byte_hash.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "sprite/sheet_limit.h"
#include "sprite/web_escapes.h"

#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tessolo {

namespace {

constexpr std::string_view kFirstLine = "tessolo outputs 1\n";
// Far more than the record of any folder; a larger file is not one.
constexpr std::uint64_t kRecordLimit = 4 * 1024 * 1024;
// Far more than any data file or preview page; a larger one is left alone.
constexpr std::uint64_t kOutputLimit = 512 * 1024 * 1024;

std::optional<unsigned> HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return unsigned(c - '0');
    if (c >= 'a' && c <= 'f')
        return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return unsigned(c - 'A' + 10);
    return std::nullopt;
}

std::optional<std::string> PercentDecoded(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        std::optional<unsigned> high, low;
        if (i + 2 >= text.size() || !(high = HexValue(text[i + 1])) || !(low = HexValue(text[i + 2])))
            return std::nullopt;
        decoded += char(*high * 16 + *low);
        i += 2;
    }
    return decoded;
}

// "<16 hex digits> <project> <file name>", the names percent-encoded.
std::optional<RecordedOutput> ReadEntry(std::string_view line)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (first != 16 || second == std::string_view::npos)
        return std::nullopt;
    RecordedOutput entry;
    for (char c : line.substr(0, 16)) {
        std::optional<unsigned> digit = HexValue(c);
        if (!digit || (c >= 'A' && c <= 'F'))
            return std::nullopt;
        entry.hash = entry.hash * 16 + *digit;
    }
    std::optional<std::string> project = PercentDecoded(line.substr(first + 1, second - first - 1));
    std::optional<std::string> file = PercentDecoded(line.substr(second + 1));
    if (!project || !file || project->empty() || file->empty())
        return std::nullopt;
    entry.project = std::move(*project);
    entry.fileName = std::move(*file);
    if (RecordText({entry}) != std::string(kFirstLine) + std::string(line) + "\n")
        return std::nullopt;
    return entry;
}

// The hash of the regular file at `path`; nothing for anything else.
std::optional<std::uint64_t> HashOfFile(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    try {
        std::optional<Bytes> bytes = ReadableFile(path).ReadAll(kOutputLimit);
        if (!bytes)
            return std::nullopt;
        return HashBytes(*bytes);
    } catch (const Error&) {
        return std::nullopt;
    }
}

bool IsOutputName(const std::string& name, const std::string& project,
                  const std::vector<std::string>& extensions)
{
    return IsNumberedSheetName(BaseName(name), project) ||
           std::ranges::any_of(extensions, [&](const std::string& extension) {
               return name == project + extension;
           });
}

}  // namespace

std::vector<RecordedOutput> ReadRecord(std::string_view text)
{
    std::vector<RecordedOutput> entries;
    if (!text.starts_with(kFirstLine))
        return entries;
    text.remove_prefix(kFirstLine.size());
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
        if (std::optional<RecordedOutput> entry = ReadEntry(text.substr(0, end)))
            entries.push_back(std::move(*entry));
        text.remove_prefix(end + 1);
    }
    return entries;
}

std::string RecordText(const std::vector<RecordedOutput>& entries)
{
    std::string text(kFirstLine);
    for (const RecordedOutput& entry : entries)
        text += HashDigits(entry.hash) + " " + UrlEncoded(entry.project) + " " +
                UrlEncoded(entry.fileName) + "\n";
    return text;
}

RecordUpdate PlanRecordUpdate(const std::string& folder, const std::string& project,
                              const std::vector<WrittenFile>& written,
                              const std::vector<std::string>& extensions)
{
    RecordUpdate update;
    const std::string recordPath = InFolder(folder, kOutputRecordName);
    struct stat st {};
    update.hadRecord = ::lstat(recordPath.c_str(), &st) == 0;
    if (update.hadRecord && !S_ISREG(st.st_mode)) {
        update.blocked = true;  // not a record: left alone
        return update;
    }
    std::vector<RecordedOutput> previous;
    if (update.hadRecord) {
        try {
            if (std::optional<Bytes> bytes = ReadableFile(recordPath).ReadAll(kRecordLimit))
                previous = ReadRecord({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
        } catch (const Error&) {
        }
    }
    for (RecordedOutput& entry : previous) {
        if (entry.project != project) {
            update.entries.push_back(std::move(entry));
            continue;
        }
        const bool rewritten = std::ranges::any_of(
            written, [&](const WrittenFile& file) { return file.fileName == entry.fileName; });
        if (rewritten || !IsOutputName(entry.fileName, project, extensions))
            continue;
        if (HashOfFile(InFolder(folder, entry.fileName)) == entry.hash)
            update.staleFiles.push_back(entry.fileName);
    }
    for (const WrittenFile& file : written)
        update.entries.push_back({project, file.fileName, file.hash});
    return update;
}

void RemoveStaleOutputs(const std::string& folder, const RecordUpdate& update)
{
    for (const std::string& name : update.staleFiles)
        ::unlink(InFolder(folder, name).c_str());
    if (update.hadRecord && !update.blocked && update.entries.empty())
        ::unlink(InFolder(folder, kOutputRecordName).c_str());
}

}  // namespace tessolo
