// Small images for tests.
#pragma once

#include "platform/bitmap.h"

namespace tessolo::test {

// A 24-bit bitmap of one colour.
inline Bitmap Solid(int width, int height, ColorRef color)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, color);
    return bitmap;
}

}  // namespace tessolo::test
