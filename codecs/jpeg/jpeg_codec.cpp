#include "codecs/jpeg/jpeg_codec.h"

#include "codecs/jpeg/jpeg_error.h"
#include "codecs/jpeg/jpeg_error_manager.h"
#include "codecs/jpeg/jpeg_image.h"
#include "platform/error.h"

namespace tessolo {

namespace {

// Refuses a picture beyond the raster cap, and one whose first scan the
// rest of a file of `size` bytes is too short to hold.
void CheckSourceClaim(const JpegHeader& header, std::uint64_t size)
{
    CheckBitmapSize(header.width, header.height, PixelFormat::Bits24);
    if (header.leastScanBits / 8 > size - header.headerBytes)
        throw JpegError(JERR_INPUT_EOF);
}

void CheckJpegSourceHead(std::span<const std::uint8_t> head, std::uint64_t size)
{
    JpegHeader header;
    try {
        header = ReadJpegHeader(head);
    } catch (const JpegError& error) {
        // Large metadata segments can push the frame header past the head;
        // decoding checks it then.
        if (error.Code() == JERR_INPUT_EOF && head.size() < size)
            return;
        throw;
    }
    CheckSourceClaim(header, size);
}

}  // namespace

Bitmap DecodeJpegSource(std::span<const std::uint8_t> data)
{
    CheckSourceClaim(ReadJpegHeader(data), data.size());
    return DecodeJpeg(data);
}

void DecodeJpegSourceRows(std::span<const std::uint8_t> data, const SourceRows& rows)
{
    CheckSourceClaim(ReadJpegHeader(data), data.size());
    DecodeJpegRows(data, rows);
}

const SourceFormat kJpegSource = {"JPEG", kMaxJpegSourceFileBytes, CheckJpegSourceHead,
                                  DecodeJpegSource};

Bitmap LoadJpegSource(const std::string& path) { return LoadSource(kJpegSource, path); }

void LoadJpegSourceRows(const std::string& path, const SourceRows& rows)
{
    DecodeJpegSourceRows(ReadSourceFile(kJpegSource, path), rows);
}

Bytes EncodeJpegSheet(const Bitmap& sheet, const JpegSheetOptions& options)
{
    // A long strip of icons easily passes the format's limit; say so plainly
    // rather than with the library's error number.
    constexpr int kMaxJpegSide = 65500;
    if (sheet.Width() > kMaxJpegSide || sheet.Height() > kMaxJpegSide)
        throw SheetTooLargeError(sheet.Width(), sheet.Height(), "JPEG", kMaxJpegSide);
    TJPEGImage image;
    image.Quality = options.quality;
    image.Progressive = options.progressive;
    return image.Compress(sheet);
}

}  // namespace tessolo
