// The SVG codec as the sprite build uses it: rasterising a source file to a
// bitmap. The build writes no SVG sheets.
#pragma once

#include "platform/bitmap.h"
#include "platform/error.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// "SVG error: <reason>", for every file the codec refuses.
class SvgError : public Error {
public:
    explicit SvgError(const std::string& reason);
};

// Rasterises an SVG source at its intrinsic size: its width and height in
// absolute units, else its viewBox's, in CSS pixels rounded to whole ones.
// The result is a 32-bit bitmap with straight alpha. The document is read
// from memory with no base file, so references to other files or to the
// network are not loaded, and what they would draw stays empty. A size
// whose bitmap would pass the raster cap is refused before anything is
// drawn. Throws SvgError or Error.
Bitmap DecodeSvgSource(std::span<const std::uint8_t> data);
// The same drawn afresh at `longerSide` pixels for its longer side (0: its
// intrinsic size), the other side in proportion, rounded, at least 1; then
// at `scale` times that whole size, for dense screens.
Bitmap DecodeSvgSourceAt(std::span<const std::uint8_t> data, int longerSide, int scale = 1);

// The largest SVG source file: a sixteenth of the raster cap. Icons take
// kilobytes, and the document's tree takes many times its text.
inline constexpr std::uint64_t kMaxSvgSourceFileBytes = kMaxBitmapBytes / 16;

// SVG sources as the build reads them: the file must start with markup, and
// its size is checked, before it is read.
extern const SourceFormat kSvgSource;

// Reads and rasterises an SVG source file through kSvgSource.
Bitmap LoadSvgSource(const std::string& path);
Bitmap LoadSvgSourceAt(const std::string& path, int longerSide, int scale);

}  // namespace tessolo
