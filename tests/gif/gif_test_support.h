// Helpers for the GIF tests: hand-made streams, our codec in one call, and
// giflib as an independent reader.
#pragma once

#include "codecs/gif/GIFImage.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tessolo::test {

// Builds GIF streams byte by byte, so tests can state exactly what a file holds.
class GifBuilder {
public:
    // Signature, version and logical screen; `globalColors` > 0 adds a table
    // of that many entries (a power of two from 2 to 256) of grey ramps.
    GifBuilder& Header(int width, int height, int globalColors = 4, const char* version = "89a");
    GifBuilder& Bytes(std::initializer_list<int> bytes);
    GifBuilder& Append(const std::vector<std::uint8_t>& bytes);
    GifBuilder& Descriptor(int left, int top, int width, int height, std::uint8_t packed = 0);
    GifBuilder& GraphicControl(bool transparent, int transparentIndex, int disposal = 0, int delay = 0);
    // Minimum code size, the codes packed at the given widths, sub-blocks of
    // at most `blockSize` bytes and the terminator.
    GifBuilder& ImageData(int minCodeSize, const std::vector<std::pair<int, int>>& codes, int blockSize = 255);
    // A comment extension of `length` bytes of text.
    GifBuilder& Comment(std::size_t length);
    GifBuilder& Trailer() { return Bytes({0x3B}); }
    const std::vector<std::uint8_t>& Data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

struct Warnings {
    std::vector<std::string> texts;
    bool Has(const std::string& text) const;
};

// Loads `data` into `image`, collecting warnings.
void Load(TGIFImage& image, const std::vector<std::uint8_t>& data, Warnings* warnings = nullptr);
std::vector<std::uint8_t> Save(const TGIFImage& image);

// One frame of `width` x `height` indices with a local map of `colors`
// grey entries, saved with the given coding.
std::vector<std::uint8_t> EncodeIndices(const std::vector<std::uint8_t>& indices, int width, int height,
                                        int colors, TGIFCompression compression);
// The pixel indices of the first frame as decoded by our decoder.
std::vector<std::uint8_t> DecodeIndices(const std::vector<std::uint8_t>& data);

// giflib's view of a stream: first frame's indices, or an error text.
struct OracleFrame {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
};
OracleFrame DecodeWithGiflib(const std::vector<std::uint8_t>& data);

}  // namespace tessolo::test
