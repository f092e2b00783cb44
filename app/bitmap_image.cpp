#include "app/bitmap_image.h"

#include <bit>

namespace tessolo {

QImage ToQImage(const Bitmap& bitmap)
{
    if (bitmap.HasAlpha && bitmap.Format() == PixelFormat::Bits32) {
        if (bitmap.Empty())
            return QImage();
        // Blue, green, red, straight alpha bytes are the little-endian words
        // of ARGB32.
        static_assert(std::endian::native == std::endian::little);
        QImage view(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), qsizetype(bitmap.Stride()),
                    QImage::Format_ARGB32);
        return view.copy();
    }
    if (bitmap.Format() != PixelFormat::Bits24)
        return ToQImage(bitmap.ConvertTo(PixelFormat::Bits24));
    if (bitmap.Empty())
        return QImage();
    // 24-bit rows are blue, green, red, each padded to a multiple of 4 bytes.
    QImage view(bitmap.ScanLine(0), bitmap.Width(), bitmap.Height(), qsizetype(bitmap.Stride()),
                QImage::Format_BGR888);
    return view.copy();
}

}  // namespace tessolo
