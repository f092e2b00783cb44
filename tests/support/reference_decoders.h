// libpng and giflib as decoders independent of ours, reading files held in
// memory, for checking what our codecs and builds write.
#pragma once

#include "platform/bytes.h"

#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo::test {

struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // red, green, blue, alpha; rows top-down
    std::string error;                 // why the file could not be read

    std::uint8_t* At(int x, int y) { return &pixels[Offset(x, y)]; }
    const std::uint8_t* At(int x, int y) const { return &pixels[Offset(x, y)]; }
    std::size_t Offset(int x, int y) const
    {
        return (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
    }
};

// Any PNG by libpng, as 8-bit straight RGBA: samples of 16 bits keep their
// high byte, palettes, low depths and grey are expanded, tRNS becomes alpha,
// and no gamma is applied. A file libpng refuses fails the current test and
// gives no pixels.
Rgba ReadPng(const Bytes& file);

// A GIF stream read whole by giflib while the object is made (`file` is not
// read after that); closed with the object.
class GiflibStream {
public:
    explicit GiflibStream(const Bytes& file);
    ~GiflibStream();
    GiflibStream(const GiflibStream&) = delete;
    GiflibStream& operator=(const GiflibStream&) = delete;

    // The stream, with at least one frame; nullptr when giflib refused it.
    GifFileType* File() const { return gif_; }
    // Why giflib refused the stream; empty when it did not.
    const std::string& Error() const { return error_; }

private:
    const Bytes& file_;
    std::size_t position_ = 0;
    GifFileType* gif_ = nullptr;
    std::string error_;

    static int Read(GifFileType* gif, GifByteType* out, int count);
};

}  // namespace tessolo::test
