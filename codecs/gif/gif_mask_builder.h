// The transparency mask of a rendered frame, collected bit by bit.
#pragma once

#include "platform/bitmap.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace tessolo {

// Collects mask bits, most significant bit first, rows of whole 16-bit words.
class MaskBuilder {
public:
    MaskBuilder(int width, int height)
        : width_(width), height_(height), rowBytes_(std::size_t((width + 15) >> 4) * 2),
          bits_(rowBytes_ * std::size_t(height), 0)
    {
    }
    void Set(int x, int y)
    {
        bits_[std::size_t(y) * rowBytes_ + std::size_t(x >> 3)] |= std::uint8_t(0x80 >> (x & 7));
        any_ = true;
    }
    bool Any() const { return any_; }
    std::unique_ptr<Bitmap> Make() const
    {
        auto mask = std::make_unique<Bitmap>(width_, height_, PixelFormat::Bits1);
        mask->SetPalette({kBlack, kWhite});
        std::size_t copy = std::min(rowBytes_, mask->Stride());
        for (int y = 0; y < height_; ++y)
            std::copy_n(bits_.data() + std::size_t(y) * rowBytes_, copy, mask->ScanLine(y));
        return mask;
    }

private:
    int width_;
    int height_;
    std::size_t rowBytes_;
    std::vector<std::uint8_t> bits_;
    bool any_ = false;
};

}  // namespace tessolo
