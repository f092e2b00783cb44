// Splitting file names into their parts.
#pragma once

#include <string>
#include <string_view>

namespace tessolo {

// The file name of a path: what follows its last "/".
std::string_view FileNameOf(std::string_view path);

// The name part of a path: without folder and without the last extension
// ("my.sprite" gives "my", "/a/Logo.PNG" gives "Logo").
std::string BaseName(std::string_view path);

// The last extension of a path's file name, with its dot ("" when none).
std::string ExtensionOf(std::string_view path);

}  // namespace tessolo
