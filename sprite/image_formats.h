// The table that ties file types to codecs. The build picks a source decoder
// by the file's extension and a sheet encoder by the output type, so a codec
// plugs in by adding its row here and nothing in the pipeline changes.
#pragma once

#include "codecs/bmp/bmp_codec.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/png/png_codec.h"
#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "settings/format_prefs.h"

#include <string>
#include <string_view>

namespace tessolo {

// The options of every sheet encoder; a build writes its sheet with those of
// its output type.
struct SheetEncoding {
    JpegSheetOptions jpeg;
    PngSheetOptions png;
    GifSheetOptions gif;
    BmpSheetOptions bmp;

    friend bool operator==(const SheetEncoding&, const SheetEncoding&) = default;
};

struct ImageFormat {
    const char* extension;  // of source files, lower case, with the dot: ".png"
    OutputType type;
    // Decodes a source file into a bitmap; throws the codec's error.
    Bitmap (*loadSource)(const std::string& path);
    // Encodes a finished sheet with the format's options.
    Bytes (*encodeSheet)(const Bitmap& sheet, const SheetEncoding& options);
};

// The format for a file extension (compared without case), or nullptr.
const ImageFormat* FormatForExtension(std::string_view extension);
// The format that writes sheets of an output type.
const ImageFormat& FormatForOutput(OutputType type);

}  // namespace tessolo
