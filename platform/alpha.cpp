#include "platform/alpha.h"

namespace tessolo {

Bitmap TransparentBitmap(int width, int height)
{
    Bitmap bitmap(0, 0, PixelFormat::Bits32);
    bitmap.HasAlpha = true;
    bitmap.SetSize(width, height);  // new area of a bitmap with alpha is transparent
    return bitmap;
}

void FlattenOverWhite(Bitmap& bitmap)
{
    if (!bitmap.HasAlpha)
        return;
    Bitmap flat;
    FlattenOverWhite(bitmap, flat);
    bitmap = std::move(flat);
}

void FlattenOverWhite(const Bitmap& bitmap, Bitmap& flat)
{
    if (flat.Width() != bitmap.Width() || flat.Height() != bitmap.Height() ||
        flat.Format() != PixelFormat::Bits24 || flat.HasAlpha)
        flat = Bitmap(bitmap.Width(), bitmap.Height(), PixelFormat::Bits24);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* in = bitmap.ScanLine(y);
        std::uint8_t* out = flat.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, in += 4, out += 3) {
            unsigned a = in[3];
            for (int c = 0; c < 3; ++c)
                out[c] = BlendChannel(a, in[c], 255);
        }
    }
}

}  // namespace tessolo
