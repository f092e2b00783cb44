// Test helpers: sample pictures, JPEG variants our encoder never writes, the
// reference command-line decoder, and a reader for a file's marker structure.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessolo::test {

// A 24-bit picture with colour gradients, a checkerboard of 16-pixel squares
// and a flat area.
Bitmap TestPattern(int width, int height);

// Samples for the library's compressor, `components` bytes per pixel.
struct RawImage {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<std::uint8_t> samples;
};

// A grey (1 component) or CMYK (4 components) image with smooth content.
RawImage RawPattern(int width, int height, int components);

enum class StoredAs { Grey, Cmyk, Ycck };

// Compresses `image` with the library itself (for greyscale, CMYK and YCCK
// files). `adobeMarker` controls the APP14 marker that says "inverted CMYK".
Bytes LibraryJpeg(const RawImage& image, StoredAs stored, bool progressive, bool adobeMarker = true);

// A decoded picture from the reference decoder: 1 (grey) or 3 (RGB) samples per pixel.
struct Pnm {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<std::uint8_t> samples;
};

bool DjpegAvailable();
// Runs `djpeg <options> -pnm` on `jpeg`; fails the test on error.
Pnm DecodeWithDjpeg(const Bytes& jpeg, const std::string& options);

// The byte range of one scan: its SOS marker up to the marker after its data.
struct ScanRange {
    std::size_t begin;
    std::size_t end;
};

// The marker structure of a JPEG file; fails the test when it is malformed.
struct JpegStructure {
    int frameMarker = 0;  // 0xC0 baseline, 0xC2 progressive, ...
    std::vector<ScanRange> scans;
    // Quantisation tables by slot, in natural (row-major) order.
    std::vector<std::array<int, 64>> quantTables;
};
JpegStructure ReadStructure(const Bytes& jpeg);

}  // namespace tessolo::test
