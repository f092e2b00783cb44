// The URLs by which the stylesheet, the data files and the preview page name
// the sheets, and the folders that a build writes to.
#pragma once

#include "sprite/build_settings.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessolo {

// The folders of a build's outputs, as the options give them.
struct OutputFolders {
    std::string sheets;
    std::string styles;  // the stylesheet, data files and preview page
};
OutputFolders OutputFoldersOf(const std::string& sourceFolder, const OutputPlaces& places);

// Creates `folder` and its missing parents. Throws FileError "Cannot create
// folder <folder>: <reason>".
void CreateFolder(const std::string& folder);

// The path of `fileName` in `sheetFolder` from the existing folder
// `stylesheetFolder`: "sprite.png" when both are one, else a relative path
// such as "../img/sprite.png".
std::string RelativeSheetPath(const std::string& sheetFolder, const std::string& stylesheetFolder,
                              std::string_view fileName);

// A relative path as a URL: each part between "/" percent-encoded as
// UrlEncoded does.
std::string PathUrl(std::string_view path);

// `url` with `suffix` before the last extension of its last path segment
// ("img/s.png?x" and "-2" give "img/s-2.png?x"), or at the segment's end
// when it has none.
std::string UrlWithSuffix(std::string_view url, std::string_view suffix);
// `url` with the last extension of its last path segment replaced by
// `extension` ("img/s.png?x" and ".webp" give "img/s.webp?x"), or with it
// added at the segment's end when it has none.
std::string UrlWithExtension(std::string_view url, std::string_view extension);

// Whether two paths name one folder.
bool SameFolder(const std::string& a, const std::string& b);

// `url` with "?v=" (or "&v=" after a query) and the first 10 hexadecimal
// digits of `sheetHash`, the HashBytes of the sheet's file, before any
// fragment.
std::string CacheBustedUrl(std::string_view url, std::uint64_t sheetHash);

// Gives `facts`, whose file names are set, the URLs and JSON names of its
// sheets in `folders` as `places` asks; those of a cache-busted URL get
// their hash from SetSheetHash.
void SetSheetUrls(SheetFacts& facts, const OutputFolders& folders, const OutputPlaces& places);
// Adds `sheetHash`, the HashBytes of the sheet `fileName`'s file, to its URL
// and JSON name.
void SetSheetHash(SheetFacts& facts, const std::string& fileName, std::uint64_t sheetHash);

}  // namespace tessolo
