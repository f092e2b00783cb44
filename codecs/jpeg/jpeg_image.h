// A JPEG picture over libjpeg: reads JPEG files into bitmaps and compresses
// bitmaps into JPEG files. Fatal library errors throw JpegError.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"

namespace tessolo {

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

    // Decodes the loaded file at full size with the floating-point DCT and
    // block smoothing: colour (CMYK and YCCK included) to a 24-bit bitmap,
    // greyscale to an 8-bit bitmap with a grey palette. A raster beyond
    // kMaxBitmapBytes is refused with Error before anything large is
    // allocated; so is a file whose decoding needs more than about as much
    // again inside the library (JpegError).
    Bitmap Decode() const;

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
