#include "sprite/source_files.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "settings/format_prefs.h"
#include "sprite/high_density.h"
#include "sprite/image_formats.h"
#include "sprite/sheet_limit.h"
#include "sprite/written_stylesheet.h"

#include <algorithm>
#include <filesystem>
#include <strings.h>

namespace tessolo {

namespace fs = std::filesystem;

namespace {

// Enough for the first lines of any stylesheet a build writes; the rest is
// never read.
constexpr std::size_t kStylesheetStart = 16 * 1024;

// Whether the folder holds `project`.css as a build writes it.
bool HoldsWrittenStylesheet(const std::string& folder, const std::string& project)
{
    const std::string path = InFolder(folder, project + ".css");
    Bytes start;
    try {
        start = ReadableFile(path).Head(kStylesheetStart + 1);
    } catch (const FileOpenError&) {
        return false;
    }
    const bool whole = start.size() <= kStylesheetStart;
    std::string_view text(reinterpret_cast<const char*>(start.data()),
                          std::min(start.size(), kStylesheetStart));
    return IsWrittenStylesheet(text, whole);
}

// Extensions of image types that people keep beside their icons but that no
// codec here reads: a folder holding them gets one warning naming them.
constexpr std::string_view kUnreadImageExtensions[] = {
    ".heic", ".heif", ".ico", ".jp2", ".jxl",
    ".psd",  ".qoi",  ".svgz", ".tga", ".tif", ".tiff", ".xcf"};

bool IsUnreadImageFileName(std::string_view name)
{
    const std::string extension = ExtensionOf(name);
    return std::ranges::any_of(kUnreadImageExtensions, [&](std::string_view known) {
        return ::strcasecmp(extension.c_str(), std::string(known).c_str()) == 0;
    });
}

std::string UnreadImagesWarning(std::vector<std::string> names)
{
    std::ranges::sort(names, ComesBeforeByName);
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    return "skipped " + std::to_string(names.size()) +
           (names.size() == 1 ? " image of a type" : " images of types") +
           " not read (only PNG, JPEG, GIF, BMP, WebP and SVG are): " + list;
}

}  // namespace

bool IsImageFileName(std::string_view name)
{
    return FormatForExtension(ExtensionOf(name)) != nullptr;
}

bool ComesBeforeByName(const std::string& a, const std::string& b)
{
    int byCase = ::strcasecmp(a.c_str(), b.c_str());
    return byCase != 0 ? byCase < 0 : a < b;
}

bool IsOutputOfProject(std::string_view name, std::string_view project)
{
    const std::string base = BaseName(name);
    return base == project || WithoutScaleSuffix(base) == project ||
           IsNumberedSheetName(base, project);
}

bool IsWrittenSheet(const std::string& folder, std::string_view name)
{
    const std::string extension = ExtensionOf(name);
    if (std::ranges::none_of(kOutputTypes, [&](const OutputTypeInfo& type) {
            return type.extension == extension;
        }))
        return false;
    // "a@2x.png" is the dense sheet of "a", or the sheet of "a@2x";
    // "a-2.png" and "a-2@2x.png" are numbered sheets of "a", or sheets of "a-2".
    const std::string base = BaseName(name);
    const std::string halved = WithoutScaleSuffix(base);
    const std::string numbered = halved.substr(0, halved.rfind('-'));
    return HoldsWrittenStylesheet(folder, base) ||
           (halved != base && HoldsWrittenStylesheet(folder, halved)) ||
           (IsNumberedSheetName(base, numbered) && HoldsWrittenStylesheet(folder, numbered));
}

ImageFileListing ListImageFiles(const std::string& folder)
{
    ImageFileListing listing;
    std::vector<std::string> unread;
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (!IsImageFileName(name)) {
                std::error_code ignored;
                if (IsUnreadImageFileName(name) && entry.is_regular_file(ignored))
                    unread.push_back(name);
                continue;
            }
            std::error_code failed;
            const fs::file_type type = fs::status(entry.path(), failed).type();
            if (failed) {
                // A file removed since the folder was read is no longer
                // there to mention; a link that leads nowhere is.
                std::error_code ignored;
                if (failed != std::errc::no_such_file_or_directory ||
                    fs::is_symlink(entry.symlink_status(ignored)))
                    listing.warnings.push_back("skipped " + entry.path().string() + ": " +
                                               failed.message());
                continue;
            }
            if (type != fs::file_type::regular)
                continue;
            (IsWrittenSheet(folder, name) ? listing.writtenSheets : listing.files).push_back(name);
        }
    } catch (const fs::filesystem_error& error) {
        throw Error("Cannot read the folder " + folder + ": " + error.code().message());
    }
    std::ranges::sort(listing.files, ComesBeforeByName);
    std::ranges::sort(listing.writtenSheets, ComesBeforeByName);
    if (!unread.empty())
        listing.warnings.push_back(UnreadImagesWarning(std::move(unread)));
    return listing;
}

}  // namespace tessolo
