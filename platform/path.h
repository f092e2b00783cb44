// Joining and splitting file paths, "/"-separated.
#pragma once

#include <string>
#include <string_view>

namespace tessolo {

// The path of `name` in `folder`, with one separator between them.
std::string InFolder(std::string_view folder, std::string_view name);

// `path` as seen from `folder`: itself when absolute (or empty), else in
// `folder`.
std::string FromFolder(std::string_view folder, std::string_view path);

// The folder part of a path with its last "/" ("/a/b.png" gives "/a/"), ""
// when it has none.
std::string_view FolderOf(std::string_view path);

// The file name of a path: what follows its last "/".
std::string_view FileNameOf(std::string_view path);

// The name part of a path: without folder and without the last extension
// ("my.sprite" gives "my", "/a/Logo.PNG" gives "Logo").
std::string BaseName(std::string_view path);

// The last extension of a path's file name, with its dot ("" when none).
std::string ExtensionOf(std::string_view path);

}  // namespace tessolo
