// The AVIF codec as the sprite build uses it: decoding a source file to a
// bitmap and encoding a finished sheet.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/error.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>
#include <string>

namespace tessolo {

// "AVIF error: <reason>", for every file the codec refuses or cannot write.
class AvifError : public Error {
public:
    explicit AvifError(const std::string& reason);
};

// Decodes an AVIF source; of an image sequence only the first frame is
// drawn. A picture with an alpha plane gives a 32-bit bitmap with straight
// alpha, any other a 24-bit one; deeper samples are scaled to 8 bits. A
// picture whose 32-bit bitmap would pass the raster cap is refused before
// its pixels are decoded. Throws AvifError or Error.
Bitmap DecodeAvifSource(std::span<const std::uint8_t> data);

// The largest AVIF source file: the raster cap. Compressed AV1 data of a
// picture within the cap stays far below its raster's size.
inline constexpr std::uint64_t kMaxAvifSourceFileBytes = kMaxBitmapBytes;

// AVIF sources as the build reads them: the file-type box is checked from
// the file's first bytes, and its size, before it is read.
extern const SourceFormat kAvifSource;

// Reads and decodes an AVIF source file through kAvifSource.
Bitmap LoadAvifSource(const std::string& path);

// How a sheet is written as AVIF.
struct AvifSheetOptions {
    int quality = 80;  // 1 (smallest) to 100 (lossless colour); alpha is always kept exactly

    friend bool operator==(const AvifSheetOptions&, const AvifSheetOptions&) = default;
};

// Encodes a sheet as 8-bit 4:4:4 AVIF, with an alpha plane when the sheet
// has alpha. A sheet without pixels has no AVIF form: the result is empty.
// Throws AvifError when the encoder fails.
Bytes EncodeAvifSheet(const Bitmap& sheet, const AvifSheetOptions& options);

}  // namespace tessolo
