// A JPEG picture over libjpeg: reads JPEG files into bitmaps and compresses
// bitmaps into JPEG files. Fatal library errors throw JpegError.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"

#include <cstdint>
#include <span>

namespace tessolo {

// What a JPEG file's header says.
struct JpegHeader {
    int width = 0;
    int height = 0;
    bool multipleScans = false;
    std::uint64_t headerBytes = 0;  // up to the first scan's data
    // The fewest bits the first scan's data can have: for a Huffman-coded
    // scan of DC coefficients (or a sequential one) a bit a block, else 0.
    std::uint64_t leastScanBits = 0;
};

// Reads the header of a JPEG file image, up to its first scan. Throws
// JpegError: code JERR_INPUT_EOF when the data ends before the header does.
JpegHeader ReadJpegHeader(std::span<const std::uint8_t> data);

// Decodes a JPEG file image at full size with the floating-point DCT and
// block smoothing: colour (CMYK and YCCK included) to a 24-bit bitmap,
// greyscale to an 8-bit bitmap with a grey palette. A raster beyond
// kMaxBitmapBytes is refused with Error before anything large is
// allocated; so is a file whose decoding needs more than about as much
// again inside the library (JpegError).
Bitmap DecodeJpeg(std::span<const std::uint8_t> data);
// The same pixels a row at a time, each a bitmap one pixel high, with the
// same errors: rows decoded before an error have been handed over.
void DecodeJpegRows(std::span<const std::uint8_t> data, const SourceRows& rows);

class TJPEGImage {
public:
    // Compression settings. The library clamps the quality to 1..100.
    int Quality = 90;
    // A progressive file (the library's simple progression) instead of a
    // single-scan baseline one.
    bool Progressive = false;

    // Takes a JPEG file image and reads its header at once.
    void LoadFromBytes(Bytes data);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Whether the loaded file has more than one scan.
    bool MultipleScans() const { return multipleScans_; }

    // Decodes the loaded file (DecodeJpeg).
    Bitmap Decode() const { return DecodeJpeg(data_); }

    // Compresses `bitmap` (any pixel format) with the settings above. An
    // empty bitmap gives no bytes. Loaded files play no part.
    Bytes Compress(const Bitmap& bitmap) const;

private:
    Bytes data_;
    int width_ = 0;
    int height_ = 0;
    bool multipleScans_ = false;
};

}  // namespace tessolo
