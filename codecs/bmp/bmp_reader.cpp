// Reads Windows BMP files as real files contain them: the 12-byte core header
// and the 40, 52, 56, 108 and 124-byte info headers; 1, 4 and 8 bits with
// colour tables of any length, plain or run-length coded; 16 and 32 bits with
// default or explicit channel masks; 24 bits. Every size and offset is checked
// against the data before it is used, and the pixel data is validated before
// the raster is allocated, so damaged files are refused without reading past
// the buffer or reserving memory for them.
#include "codecs/bmp/bmp_codec.h"

#include "platform/byte_io.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/source_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tessolo {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;

enum Compression : std::uint32_t {
    kPlain = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

void Require(bool condition)
{
    if (!condition)
        throw InvalidGraphic();
}

// What the headers say, after validation.
struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kPlain;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue
    std::vector<ColorRef> colorTable;
    std::size_t pixelOffset = 0;
};

bool IsRunLength(const BmpLayout& layout)
{
    return layout.compression == kRle8 || layout.compression == kRle4;
}

bool IsKnownHeaderSize(std::uint32_t size)
{
    return size == kCoreHeaderSize || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

bool IsValidCombination(int bits, std::uint32_t compression, bool core)
{
    switch (bits) {
    case 1: return compression == kPlain;
    case 4: return compression == kPlain || compression == kRle4;
    case 8: return compression == kPlain || compression == kRle8;
    case 24: return compression == kPlain;
    case 16:
    case 32:
        return !core && (compression == kPlain || compression == kBitFields ||
                         compression == kAlphaBitFields);
    default: return false;
    }
}

// A channel mask must be one run of set bits inside the pixel (or empty).
bool IsValidMask(std::uint32_t mask, int bits)
{
    if (mask == 0)
        return true;
    if (bits < 32 && mask >> bits != 0)
        return false;
    std::uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0;
}

std::vector<ColorRef> ReadColorTable(const std::uint8_t* p, std::size_t entries,
                                     std::size_t entrySize)
{
    std::vector<ColorRef> table(entries);
    for (std::size_t i = 0; i < entries; ++i, p += entrySize)
        table[i] = MakeColor(p[2], p[1], p[0]);
    return table;
}

// The headers of a file of `size` bytes, read from its first bytes `head`.
BmpLayout ParseHeaders(std::span<const std::uint8_t> head, std::uint64_t size)
{
    Require(head.size() >= kFileHeaderSize + 4 && head[0] == 'B' && head[1] == 'M');
    const std::uint32_t pixelOffset = ReadLe32(&head[10]);
    const std::uint32_t headerSize = ReadLe32(&head[14]);
    Require(IsKnownHeaderSize(headerSize) && head.size() - kFileHeaderSize >= headerSize);
    const std::uint8_t* h = &head[kFileHeaderSize];
    const bool core = headerSize == kCoreHeaderSize;

    BmpLayout layout;
    std::int64_t width, height;
    unsigned planes;
    std::uint32_t colorsUsed = 0;
    if (core) {
        width = ReadLe16(h + 4);
        height = ReadLe16(h + 6);
        planes = ReadLe16(h + 8);
        layout.bits = ReadLe16(h + 10);
    } else {
        width = std::int32_t(ReadLe32(h + 4));
        height = std::int32_t(ReadLe32(h + 8));
        planes = ReadLe16(h + 12);
        layout.bits = ReadLe16(h + 14);
        layout.compression = ReadLe32(h + 16);
        colorsUsed = ReadLe32(h + 32);
    }
    Require(planes == 1 && width > 0 && height != 0 && height != INT32_MIN);
    Require(IsValidCombination(layout.bits, layout.compression, core));
    layout.width = int(width);
    layout.height = int(height < 0 ? -height : height);
    layout.topDown = height < 0;
    // Run-length data is always stored bottom-up.
    Require(!(IsRunLength(layout) && layout.topDown));

    std::size_t tableOffset = kFileHeaderSize + headerSize;
    if (layout.bits == 16)
        layout.masks = {0x7C00, 0x03E0, 0x001F};
    else if (layout.bits == 32)
        layout.masks = {0xFF0000, 0x00FF00, 0x0000FF};
    if (layout.compression == kBitFields || layout.compression == kAlphaBitFields) {
        // Headers of 52 bytes and more hold the masks; after the 40-byte
        // header they follow it (three masks, or four with alpha).
        const std::uint8_t* m = h + 40;
        if (headerSize == 40) {
            std::size_t count = layout.compression == kAlphaBitFields ? 4 : 3;
            Require(head.size() - tableOffset >= 4 * count);
            m = &head[tableOffset];
            tableOffset += 4 * count;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            layout.masks[i] = ReadLe32(m + 4 * i);
            Require(IsValidMask(layout.masks[i], layout.bits));
        }
    }

    Require(pixelOffset >= tableOffset && pixelOffset <= size);
    layout.pixelOffset = pixelOffset;
    if (layout.bits <= 8) {
        // Tables may be shorter than the depth allows: the colours-used field
        // says so (core headers have none), and a table never runs into the
        // pixel data. Indexes beyond the table read as black.
        const std::size_t full = std::size_t(1) << layout.bits;
        const std::size_t entrySize = core ? 3 : 4;
        std::size_t entries = colorsUsed == 0 ? full : std::min<std::size_t>(colorsUsed, full);
        entries = std::min(entries, (pixelOffset - tableOffset) / entrySize);
        Require(head.size() - tableOffset >= entries * entrySize);
        layout.colorTable = ReadColorTable(head.data() + tableOffset, entries, entrySize);
    }
    return layout;
}

// The headers, refused when their raster passes the shared limit, or, for
// plain pixel data, when the file is too short to hold it: all before
// anything is allocated for them.
BmpLayout ReadLayout(std::span<const std::uint8_t> head, std::uint64_t size)
{
    BmpLayout layout = ParseHeaders(head, size);
    const std::size_t rows = std::size_t(layout.height);
    const PixelFormat format = layout.bits <= 8 ? static_cast<PixelFormat>(layout.bits)
                                                : PixelFormat::Bits24;
    Require(RowBytes(layout.width, format) <= kMaxBitmapBytes / rows);
    if (!IsRunLength(layout))
        Require(RowBytes(layout.width, static_cast<PixelFormat>(layout.bits)) <=
                (size - layout.pixelOffset) / rows);
    return layout;
}

// Rows are stored bottom-up unless the height was negative.
int TargetRow(const BmpLayout& layout, int fileRow)
{
    return layout.topDown ? fileRow : layout.height - 1 - fileRow;
}

// Converts one channel of a 16 or 32-bit pixel to 8 bits; narrow channels
// repeat their bits so that full scale maps to 255.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), width_(std::popcount(mask))
    {
        if (width_ == 0 || width_ >= 8)
            return;
        for (unsigned v = 0; v < (1u << width_); ++v) {
            unsigned wide = v;
            int filled = width_;
            while (filled < 8) {
                wide = wide << width_ | v;
                filled += width_;
            }
            scale_[v] = std::uint8_t(wide >> (filled - 8));
        }
    }

    std::uint8_t operator()(std::uint32_t pixel) const
    {
        std::uint32_t v = (pixel & mask_) >> shift_;
        return width_ >= 8 ? std::uint8_t(v >> (width_ - 8)) : scale_[v];
    }

private:
    std::uint32_t mask_;
    int shift_;
    int width_;
    std::array<std::uint8_t, 128> scale_{};
};

// The bitmap format of plain pixel data: 16 and 32-bit pixels become 24-bit.
PixelFormat FormatOf(const BmpLayout& layout)
{
    return layout.bits == 16 || layout.bits == 32 ? PixelFormat::Bits24 : static_cast<PixelFormat>(layout.bits);
}

// The bytes of one stored row of plain pixel data.
std::size_t StoredRowBytes(const BmpLayout& layout)
{
    return RowBytes(layout.width, static_cast<PixelFormat>(layout.bits));
}

// An empty bitmap of `height` rows in the layout's format, with its colours.
Bitmap BitmapFor(const BmpLayout& layout, int height)
{
    Bitmap bitmap(layout.width, height, FormatOf(layout));
    if (HasPalette(bitmap.Format()))
        bitmap.SetPalette(layout.colorTable);
    return bitmap;
}

// Turns a stored row of plain pixel data into a bitmap row: 1, 4, 8 and
// 24-bit rows as they are, 16 and 32-bit ones through their channel masks.
class RowConverter {
public:
    explicit RowConverter(const BmpLayout& layout)
        : layout_(layout), red_(layout.masks[0]), green_(layout.masks[1]), blue_(layout.masks[2])
    {
    }

    void operator()(const std::uint8_t* src, std::uint8_t* dst) const
    {
        if (layout_.bits != 16 && layout_.bits != 32) {
            std::memcpy(dst, src, StoredRowBytes(layout_));
            return;
        }
        for (int x = 0; x < layout_.width; ++x, dst += 3) {
            std::uint32_t pixel = layout_.bits == 16 ? ReadLe16(src + 2 * std::size_t(x))
                                                     : ReadLe32(src + 4 * std::size_t(x));
            dst[0] = blue_(pixel);
            dst[1] = green_(pixel);
            dst[2] = red_(pixel);
        }
    }

private:
    const BmpLayout& layout_;
    Channel red_, green_, blue_;
};

Bitmap DecodeUncompressed(const BmpLayout& layout, std::span<const std::uint8_t> pixels)
{
    // ReadLayout made sure that every row is there.
    const std::size_t rowBytes = StoredRowBytes(layout);
    Bitmap bitmap = BitmapFor(layout, layout.height);
    const RowConverter convert(layout);
    for (int fileRow = 0; fileRow < layout.height; ++fileRow)
        convert(pixels.data() + std::size_t(fileRow) * rowBytes, bitmap.ScanLine(TargetRow(layout, fileRow)));
    return bitmap;
}

// Hands the rows of plain pixel data on from the top, read by
// `read(offset, into)` from the pixel data in blocks of up to 1 MiB of rows:
// from the end of the data backwards when it is stored bottom-up.
template <typename ReadAt>
void HandPlainRows(const BmpLayout& layout, const ReadAt& read, const SourceRows& rows)
{
    constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
    const std::size_t stored = StoredRowBytes(layout);
    const int block = int(std::clamp<std::size_t>(kBlockBytes / std::max<std::size_t>(stored, 1), 1,
                                                  std::size_t(layout.height)));
    Bytes buffer(std::size_t(block) * stored);
    int first = 0, end = 0;  // the stored rows in the buffer
    Bitmap row = BitmapFor(layout, 1);
    const RowConverter convert(layout);
    rows.start(layout.width, layout.height);
    for (int y = 0; y < layout.height; ++y) {
        const int fileRow = TargetRow(layout, y);
        if (fileRow < first || fileRow >= end) {
            first = layout.topDown ? fileRow : std::max(0, fileRow - block + 1);
            end = std::min(layout.height, first + block);
            read(std::uint64_t(first) * stored, std::span(buffer).first(std::size_t(end - first) * stored));
        }
        convert(buffer.data() + std::size_t(fileRow - first) * stored, row.ScanLine(0));
        rows.row(y, row);
    }
}

// Walks run-length coded 4 and 8-bit data, calling put(x, y, index) for
// every pixel it codes. Pairs (count, value) are runs; a zero count escapes
// to end of line (0), end of bitmap (1), a move right and up (2, dx, dy) or a
// literal run of 3 or more pixels padded to a 16-bit word. A run that leaves
// the image is damage; data may end without the end-of-bitmap escape once
// every row is done.
template <typename PutPixel>
void WalkRunLength(const BmpLayout& layout, std::span<const std::uint8_t> data, PutPixel put)
{
    const bool nibbles = layout.compression == kRle4;
    std::size_t pos = 0;
    int x = 0, row = 0;  // row counts from the bottom
    auto checkRun = [&](int count) { Require(row < layout.height && count <= layout.width - x); };

    for (;;) {
        if (data.size() - pos < 2) {
            Require(row >= layout.height);
            return;
        }
        const int count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            checkRun(count);
            for (int i = 0; i < count; ++i)
                put(x++, layout.height - 1 - row, !nibbles ? value : (i & 1) ? value & 0x0F : value >> 4);
            continue;
        }
        switch (value) {
        case 0:
            Require(row < layout.height);
            x = 0;
            ++row;
            break;
        case 1:
            return;
        case 2: {
            Require(data.size() - pos >= 2);
            const int dx = data[pos], dy = data[pos + 1];
            pos += 2;
            Require(dx <= layout.width - x && dy <= layout.height - row);
            x += dx;
            row += dy;
            break;
        }
        default: {
            const std::size_t bytes = nibbles ? (std::size_t(value) + 1) / 2 : std::size_t(value);
            Require(data.size() - pos >= bytes + (bytes & 1));
            checkRun(value);
            const std::uint8_t* literal = &data[pos];
            for (int i = 0; i < value; ++i)
                put(x++, layout.height - 1 - row,
                    !nibbles ? literal[i] : (i & 1) ? literal[i / 2] & 0x0F : literal[i / 2] >> 4);
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
}

// The data is walked once to validate it before the raster is allocated, as
// a few bytes of run-length data can claim a large image. Pixels the data
// never reaches stay index 0.
Bitmap DecodeRunLength(const BmpLayout& layout, std::span<const std::uint8_t> data)
{
    WalkRunLength(layout, data, [](int, int, int) {});
    Bitmap bitmap(layout.width, layout.height, static_cast<PixelFormat>(layout.bits));
    bitmap.SetPalette(layout.colorTable);
    WalkRunLength(layout, data, [&](int x, int y, int index) { bitmap.SetPixelIndex(x, y, index); });
    return bitmap;
}

void CheckBmpHead(std::span<const std::uint8_t> head, std::uint64_t size)
{
    ReadLayout(head, size);
}

}  // namespace

Bitmap DecodeBmp(std::span<const std::uint8_t> data)
{
    const BmpLayout layout = ReadLayout(data, data.size());
    const std::span<const std::uint8_t> pixels = data.subspan(layout.pixelOffset);
    if (IsRunLength(layout))
        return DecodeRunLength(layout, pixels);
    return DecodeUncompressed(layout, pixels);
}

void DecodeBmpRows(std::span<const std::uint8_t> data, const SourceRows& rows)
{
    const BmpLayout layout = ReadLayout(data, data.size());
    const std::span<const std::uint8_t> pixels = data.subspan(layout.pixelOffset);
    if (IsRunLength(layout))
        return HandRowsOf(DecodeRunLength(layout, pixels), rows);
    HandPlainRows(
        layout,
        [&](std::uint64_t offset, std::span<std::uint8_t> into) {
            std::memcpy(into.data(), pixels.data() + offset, into.size());
        },
        rows);
}

const SourceFormat kBmpSource = {"BMP", kMaxBmpSourceFileBytes, CheckBmpHead, DecodeBmp};

void LoadBmpSourceRows(const std::string& path, const SourceRows& rows)
{
    const ReadableFile file(path);
    const BmpLayout layout = ReadLayout(file.Head(kSourceHeadBytes), file.Size());
    // Run-length data has to be walked from its start, and is smaller than
    // its picture; a file too large for any source is refused as a whole
    // reading refuses it.
    if (IsRunLength(layout) || file.Size() > kBmpSource.maxFileBytes)
        return DecodeBmpRows(ReadSourceFile(kBmpSource, path), rows);
    HandPlainRows(
        layout,
        [&](std::uint64_t offset, std::span<std::uint8_t> into) {
            // A file cut short since its size was read.
            Require(file.ReadAt(layout.pixelOffset + offset, into));
        },
        rows);
}

Bitmap LoadBmpFile(const std::string& path) { return LoadSource(kBmpSource, path); }

}  // namespace tessolo
