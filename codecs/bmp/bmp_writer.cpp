// Writes a bitmap as a BMP file with the 40-byte info header: file header,
// info header, the 5-6-5 masks for 16 bits, the colour table for 4 and 8
// bits, then the rows bottom-up, each padded with zero bytes to 4 bytes.
#include "codecs/bmp/bmp_codec.h"

#include "platform/byte_io.h"
#include "platform/error.h"
#include "platform/text_list.h"

#include <algorithm>

namespace tessolo {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kMasks565[3] = {0xF800, 0x07E0, 0x001F};

PixelFormat FormatForCode(int code)
{
    std::vector<std::string> known;
    for (const BmpPixelCodeInfo& row : kBmpPixelCodes) {
        if (row.code == code)
            return row.format;
        known.push_back(std::to_string(row.code));
    }
    throw Error("Unsupported BMP pixel format code " + std::to_string(code) + " (use " +
                JoinAlternatives(known, " or ") + ")");
}

// Appends one row: the bytes that hold pixels, then zeros up to the padded
// length. The fourth byte of 32-bit pixels is written as 0 too, whatever the
// bitmap's memory holds there.
void AppendRow(Bytes& out, const std::uint8_t* row, int width, PixelFormat format)
{
    const std::size_t start = out.size();
    const int bits = BitsPerPixel(format);
    const std::size_t used = (std::size_t(width) * std::size_t(bits) + 7) / 8;
    out.insert(out.end(), row, row + used);
    out.resize(start + RowBytes(width, format), 0);
    if (format == PixelFormat::Bits32)
        for (std::size_t x = 0; x < std::size_t(width); ++x)
            out[start + 4 * x + 3] = 0;
}

// Rows are handed to the sink in pieces of about this size.
constexpr std::size_t kPieceBytes = std::size_t(1) << 20;

}  // namespace

void WriteBmp(const Bitmap& bitmap, int pixelFormatCode, const ByteSink& write)
{
    const PixelFormat format = FormatForCode(pixelFormatCode);
    // True-colour rows already in the target format are written as they
    // are; others are converted a row at a time (palette targets always map
    // to the fixed table), so a large sheet is never copied whole.
    const int width = bitmap.Width(), height = bitmap.Height();
    // Rows without pixels have nothing to convert.
    const bool asIs = (bitmap.Format() == format && !HasPalette(format)) || width == 0;
    const std::vector<ColorRef> table =
        HasPalette(format) ? Bitmap(0, 0, bitmap.Format()).ConvertTo(format).Palette()
                           : std::vector<ColorRef>();
    const bool bitFields = format == PixelFormat::Bits16;
    // The raster is capped at kMaxBitmapBytes, so every size fits in 32 bits.
    const auto imageSize = std::uint32_t(RowBytes(width, format) * std::size_t(height));
    const auto pixelOffset = std::uint32_t(kFileHeaderSize + kInfoHeaderSize +
                                           (bitFields ? sizeof kMasks565 : 0) + 4 * table.size());
    const std::uint32_t fileSize = pixelOffset + imageSize;

    Bytes out;
    out.reserve(std::max<std::size_t>(pixelOffset, kPieceBytes + RowBytes(width, format)));
    out.push_back('B');
    out.push_back('M');
    AppendLe32(out, fileSize);
    AppendLe32(out, 0);  // two reserved 16-bit fields
    AppendLe32(out, pixelOffset);

    AppendLe32(out, kInfoHeaderSize);
    AppendLe32(out, std::uint32_t(width));
    AppendLe32(out, std::uint32_t(height));  // positive: rows bottom-up
    AppendLe16(out, 1);                      // planes
    AppendLe16(out, std::uint32_t(BitsPerPixel(format)));
    AppendLe32(out, bitFields ? kBitFields : 0);
    AppendLe32(out, imageSize);
    AppendLe32(out, 0);  // horizontal resolution
    AppendLe32(out, 0);  // vertical resolution
    AppendLe32(out, std::uint32_t(table.size()));
    AppendLe32(out, 0);  // important colours

    if (bitFields)
        for (std::uint32_t mask : kMasks565)
            AppendLe32(out, mask);
    for (ColorRef color : table) {
        out.push_back(BlueOf(color));
        out.push_back(GreenOf(color));
        out.push_back(RedOf(color));
        out.push_back(0);
    }
    BitmapRow row(bitmap);
    for (int y = height - 1; y >= 0; --y) {
        if (asIs)
            AppendRow(out, bitmap.ScanLine(y), width, format);
        else
            AppendRow(out, row.Of(y).ConvertTo(format).ScanLine(0), width, format);
        if (out.size() >= kPieceBytes) {
            write(out);
            out.clear();
        }
    }
    if (!out.empty())
        write(out);
}

Bytes EncodeBmp(const Bitmap& bitmap, int pixelFormatCode)
{
    Bytes file;
    WriteBmp(bitmap, pixelFormatCode, AppendingTo(file));
    return file;
}

}  // namespace tessolo
