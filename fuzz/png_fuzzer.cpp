// Feeds arbitrary bytes to the PNG reader. Images that load are also drawn,
// converted to a bitmap and written again, so those paths see every odd
// header and chunk combination the reader accepts.
#include "codecs/png/pngimage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tessolo;
    TPNGObject png;
    try {
        png.LoadFromStream({data, size});
    } catch (const Error&) {
        return 0;
    }
    // Keep the per-input work small: large images only exercise the reader.
    if (std::size_t(png.GetWidth()) * std::size_t(png.GetHeight()) > (std::size_t(1) << 20))
        return 0;
    try {
        Bitmap canvas(png.GetWidth(), png.GetHeight());
        png.Draw(canvas, {0, 0, png.GetWidth(), png.GetHeight()});
        png.Draw(canvas, {png.GetWidth(), 0, 0, png.GetHeight() / 2 + 1});
        Bitmap assigned;
        png.AssignTo(assigned);
        if (png.GetTransparent()) {
            Bitmap straight = png.StraightAlphaBitmap();
            TPNGObject withAlpha;
            withAlpha.Assign(straight);
        }
        Bytes saved;
        png.SaveToStream(saved);
        TPNGObject again;
        again.LoadFromStream(saved);
    } catch (const Error&) {
    }
    return 0;
}
