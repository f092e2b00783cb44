// The table that ties file types to codecs. The build picks a source decoder
// by the file's extension and a sheet encoder by the output type index, so a
// codec plugs in by adding its row here and nothing in the pipeline changes.
#pragma once

#include "platform/bitmap.h"
#include "platform/files.h"
#include "settings/format_prefs.h"

#include <string>
#include <string_view>

namespace tessolo {

struct ImageFormat {
    const char* extension;  // lower case, with the dot: ".png"
    int outputIndex;        // index of the output type: 0 JPEG, 1 PNG, 2 GIF, 3 BMP
    // Decodes a source file into a bitmap; throws the codec's error.
    Bitmap (*loadSource)(const std::string& path);
    // Encodes a finished sheet with the format's option record.
    Bytes (*encodeSheet)(const Bitmap& sheet, const TFormatPrefs& prefs);
};

// The format for a file extension (compared without case), or nullptr.
const ImageFormat* FormatForExtension(std::string_view extension);
// The format for an output type index; 3 and any unknown index mean BMP.
const ImageFormat& FormatForOutput(int outputIndex);

}  // namespace tessolo
