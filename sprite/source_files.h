// The image files of a folder as the window, the command line and the watch
// all list them: which names are images, their order, and which files are
// outputs of a build rather than sources.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// Whether `name` has the extension of an image that a build reads (".png",
// ".jpg", ".jpeg", ".gif", ".bmp", case ignored).
bool IsImageFileName(std::string_view name);

// The order of listed files: by name without regard to case, then by case.
bool ComesBeforeByName(const std::string& a, const std::string& b);

// Whether `name` is one of the outputs of the project `project`: its base
// name is the project name, or the project name and "@2x", or a numbered
// sheet's ("project-2", "project-2@2x").
bool IsOutputOfProject(std::string_view name, std::string_view project);

// Whether the file `name` of `folder` is a sheet that a build wrote: N,
// N + "@2x", N-<number> or N-<number>@2x with a sheet's extension (".jpg",
// ".png", ".gif", ".bmp"), beside
// an N.css that is a stylesheet as a build writes it. Only the first bytes
// of N.css are read.
bool IsWrittenSheet(const std::string& folder, std::string_view name);

struct ImageFileListing {
    std::vector<std::string> files;          // the sources, in ComesBeforeByName order
    std::vector<std::string> writtenSheets;  // left out: sheets that a build wrote, in order
    // "skipped <path>: <reason>", one per entry, then one naming every image
    // of a type that no codec reads (".svg", ".webp", ".tif", ...).
    std::vector<std::string> warnings;
};

// The image files of `folder`: the regular files with image names, and the
// links that lead to one. An entry whose type cannot be found out (a link
// that loops or leads nowhere) is skipped with a warning. Throws Error
// "Cannot read the folder <folder>: <reason>".
ImageFileListing ListImageFiles(const std::string& folder);

}  // namespace tessolo
