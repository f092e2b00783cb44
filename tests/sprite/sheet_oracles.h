// Independent readers for the sheets and sources of the transparency tests:
// libpng and giflib decode to 8-bit straight RGBA.
#pragma once

#include "platform/bytes.h"

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
    std::size_t Offset(int x, int y) const { return (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4; }
};

// Any PNG: samples of 16 bits keep their high byte; tRNS becomes alpha.
Rgba ReadPng(const Bytes& file);
// The first frame of a GIF on its screen; its transparent index and the
// screen it leaves uncovered have alpha 0 when it has a transparent index.
Rgba ReadGif(const Bytes& file);
// The transparent index of the first frame's graphic control, or -1.
int GifTransparentIndex(const Bytes& file);

}  // namespace tessolo::test
