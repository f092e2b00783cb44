// The names the data files give the images: valid in each file's language
// and unique by that language's own rule of equality, so that every image
// keeps an entry of its own.
#pragma once

#include "sprite/web_outputs.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo {

// The names of the images in one data file. An image whose name would be
// the same as an earlier one's gets "-2", "-3" and so on appended, the first
// that no other image's name equals.
struct DataNames {
    std::vector<std::string> names;     // per image, in build order
    std::vector<std::string> warnings;  // one per image that could not keep its name
};

// "$" and the class as an SCSS identifier, with "sprite" before a class that
// starts with "-" or "_" (which would make the variable private to its
// module). SCSS takes "-" and "_" for the same character, and an escape for
// the character it stands for.
DataNames ScssVariables(const std::vector<PlacedImage>& images);

// "@" and the class as a LESS identifier; LESS compares names as written.
DataNames LessVariables(const std::vector<PlacedImage>& images);

// The file name, with the bytes that are not UTF-8 written as "\x" and two
// hexadecimal digits; unquoted.
DataNames JsonFrameNames(const std::vector<PlacedImage>& images);

// The warnings of the data files that the bits of `dataFormats` ask for.
std::vector<std::string> DataNameWarnings(const std::vector<PlacedImage>& images,
                                          std::int32_t dataFormats);

}  // namespace tessolo
