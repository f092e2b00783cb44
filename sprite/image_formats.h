// The table that ties file types to codecs. The build picks a source decoder
// by the file's extension and a sheet encoder by the output type, so a codec
// plugs in by adding its row here and nothing in the pipeline changes.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "settings/format_prefs.h"

#include <string>
#include <string_view>

namespace tessolo {

struct ImageFormat {
    const char* extension;  // of source files, lower case, with the dot: ".png"
    OutputType type;
    // Decodes a source file into a bitmap; throws the codec's error.
    Bitmap (*loadSource)(const std::string& path);
    // Encodes a finished sheet with the format's option record.
    Bytes (*encodeSheet)(const Bitmap& sheet, const TFormatPrefs& prefs);
};

// The format for a file extension (compared without case), or nullptr.
const ImageFormat* FormatForExtension(std::string_view extension);
// The format that writes sheets of an output type.
const ImageFormat& FormatForOutput(OutputType type);

}  // namespace tessolo
