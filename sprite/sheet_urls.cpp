#include "sprite/sheet_urls.h"

#include "platform/byte_hash.h"
#include "platform/error.h"
#include "platform/path.h"
#include "sprite/high_density.h"
#include "sprite/web_escapes.h"

#include <algorithm>
#include <filesystem>

namespace tessolo {

namespace fs = std::filesystem;

namespace {

// A path as the system resolves it, so that two names of one folder compare
// equal.
fs::path Resolved(const std::string& folder)
{
    std::error_code ignored;
    fs::path path = fs::weakly_canonical(fs::absolute(folder), ignored);
    return path.empty() ? fs::absolute(folder) : path;
}

// Where the path part of `url` ends: at its query or fragment.
std::size_t PathEnd(std::string_view url)
{
    std::size_t end = url.find_first_of("?#");
    return end == std::string_view::npos ? url.size() : end;
}

// Where the last extension of the URL's last path segment starts, or the
// segment's end when it has none.
std::size_t ExtensionStart(std::string_view url)
{
    const std::size_t pathEnd = PathEnd(url);
    const std::string_view path = url.substr(0, pathEnd);
    const std::size_t segment = path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1;
    const std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < segment ? pathEnd : dot;
}

}  // namespace

OutputFolders OutputFoldersOf(const std::string& sourceFolder, const OutputPlaces& places)
{
    OutputFolders folders;
    folders.sheets = places.sheetFolder.empty() ? sourceFolder
                                                : FromFolder(sourceFolder, places.sheetFolder);
    folders.styles = places.stylesheetFolder.empty()
                         ? folders.sheets
                         : FromFolder(sourceFolder, places.stylesheetFolder);
    return folders;
}

void CreateFolder(const std::string& folder)
{
    std::error_code failed;
    fs::create_directories(folder, failed);
    if (failed)
        throw FileError("Cannot create folder " + folder + ": " + failed.message(),
                        failed.message());
}

std::string RelativeSheetPath(const std::string& sheetFolder, const std::string& stylesheetFolder,
                              std::string_view fileName)
{
    if (sheetFolder == stylesheetFolder)
        return std::string(fileName);
    std::string path;
    for (const fs::path& part : Resolved(sheetFolder).lexically_relative(Resolved(stylesheetFolder)))
        if (part != "." && !part.empty())
            path += part.string() + "/";
    return path + std::string(fileName);
}

std::string PathUrl(std::string_view path)
{
    std::string url;
    for (std::size_t start = 0;;) {
        const std::size_t slash = path.find('/', start);
        url += UrlEncoded(path.substr(start, slash - start));
        if (slash == std::string_view::npos)
            return url;
        url += '/';
        start = slash + 1;
    }
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return a == b || Resolved(a) == Resolved(b);
}

std::string UrlWithSuffix(std::string_view url, std::string_view suffix)
{
    const std::size_t dot = ExtensionStart(url);
    return std::string(url.substr(0, dot)) + std::string(suffix) + std::string(url.substr(dot));
}

std::string UrlWithExtension(std::string_view url, std::string_view extension)
{
    return std::string(url.substr(0, ExtensionStart(url))) + std::string(extension) +
           std::string(url.substr(PathEnd(url)));
}

std::string CacheBustedUrl(std::string_view url, std::uint64_t sheetHash)
{
    std::size_t fragment = url.find('#');
    if (fragment == std::string_view::npos)
        fragment = url.size();
    const std::string_view before = url.substr(0, fragment);
    const char* joint = before.find('?') == std::string_view::npos ? "?v=" : "&v=";
    return std::string(before) + joint + HashDigits(sheetHash).substr(0, 10) +
           std::string(url.substr(fragment));
}

void SetSheetUrls(SheetFacts& facts, const OutputFolders& folders, const OutputPlaces& places)
{
    const bool given = !places.sheetUrl.empty();
    const std::string path = RelativeSheetPath(folders.sheets, folders.styles, facts.fileName);
    facts.url = given ? places.sheetUrl : PathUrl(path);
    facts.jsonImage = given || places.cacheBust ? facts.url : path;
    for (DenseSheet& dense : facts.densities) {
        const std::string densePath = RelativeSheetPath(folders.sheets, folders.styles, dense.fileName);
        dense.url = given ? UrlWithSuffix(places.sheetUrl, ScaleSuffix(dense.scale)) : PathUrl(densePath);
        dense.jsonImage = given || places.cacheBust ? dense.url : densePath;
    }
}

void SetSheetHash(SheetFacts& facts, const std::string& fileName, std::uint64_t sheetHash)
{
    auto dense = std::ranges::find(facts.densities, fileName, &DenseSheet::fileName);
    std::string& url = dense != facts.densities.end() ? dense->url : facts.url;
    url = CacheBustedUrl(url, sheetHash);
    (dense != facts.densities.end() ? dense->jsonImage : facts.jsonImage) = url;
}

}  // namespace tessolo
