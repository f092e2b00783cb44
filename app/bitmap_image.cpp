#include "app/bitmap_image.h"

namespace tessolo {

QImage ToQImage(const Bitmap& bitmap)
{
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
