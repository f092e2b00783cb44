#include "codecs/gif/gif_source.h"

#include "codecs/gif/GIFImage.h"
#include "platform/error.h"
#include "platform/files.h"

namespace tessolo {

namespace {

// Frame pixels a source may hold in all its frames. With the first frame's
// rendering and the 24-bit result (each within the raster cap) a source
// stays below about twice the cap.
constexpr std::size_t kMaxSourcePixelBytes = kMaxBitmapBytes / 2;

// The first frame of a screen it covers: its own rendering, with the
// transparent index's colour made white, the sheet's background.
Bitmap CoveringFrame(const Bitmap& rendered, TGIFSubImage& frame, bool transparent)
{
    Bitmap result = rendered;
    if (transparent && rendered.Format() == PixelFormat::Bits8) {
        std::vector<ColorRef> palette = result.Palette();
        palette.resize(256, kBlack);
        palette[std::size_t(frame.TransparentColorIndex())] = kWhite;
        result.SetPalette(std::move(palette));
    }
    return result;
}

// The first frame drawn at its offset on a white 24-bit screen, leaving its
// transparent pixels white.
Bitmap FrameOnScreen(TGIFImage& image, TGIFSubImage& frame, bool transparent)
{
    Bitmap screen(image.Width(), image.Height(), PixelFormat::Bits24);
    const Bitmap* rendered = frame.GetBitmap();
    if (!rendered)
        return screen;
    if (!transparent) {
        screen.Draw(*rendered, frame.Left(), frame.Top());
        return screen;
    }
    int transparentIndex = frame.TransparentColorIndex();
    const std::vector<std::uint8_t>& indices = frame.Data();
    for (int y = 0; y < frame.Height() && frame.Top() + y < screen.Height(); ++y)
        for (int x = 0; x < frame.Width() && frame.Left() + x < screen.Width(); ++x)
            if (indices[std::size_t(y) * std::size_t(frame.Width()) + std::size_t(x)] != transparentIndex)
                screen.SetPixel(frame.Left() + x, frame.Top() + y, rendered->Pixel(x, y));
    return screen;
}

}  // namespace

Bitmap DecodeGifSource(std::span<const std::uint8_t> data)
{
    TGIFImage image;
    image.TrueColorScreen = true;
    image.MaxPixelBytes = kMaxSourcePixelBytes;
    GIFInputStream stream(data);
    image.LoadFromStream(stream);
    if (image.Images.Count() == 0)
        return Bitmap();
    TGIFSubImage& first = image.Images[0];
    bool transparent = first.Transparent() && first.HasData() && first.TransparentColorIndex() >= 0;
    // A frame that covers the screen is the picture; otherwise the frame is
    // drawn straight onto the result, so no screen-sized copy is made.
    if (first.Width() == image.Width() && first.Height() == image.Height() && first.HasData())
        if (const Bitmap* rendered = first.GetBitmap())
            return CoveringFrame(*rendered, first, transparent);
    return FrameOnScreen(image, first, transparent);
}

Bitmap LoadGifSource(const std::string& path)
{
    return DecodeGifSource(ReadFileBytes(path));
}

Bytes EncodeGifSheet(const Bitmap& sheet, const TFormatPrefs& prefs)
{
    constexpr int kMaxGifSide = 0xFFFF;
    if (sheet.Width() > kMaxGifSide || sheet.Height() > kMaxGifSide)
        throw SheetTooLargeError(sheet.Width(), sheet.Height(), "GIF", kMaxGifSide);
    TGIFImage image;
    image.Compression = LowByte(prefs.Quality) == 1 ? gcRLE : gcLZW;
    image.Assign(sheet);
    Bytes out;
    GIFOutputStream stream(out);
    image.SaveToStream(stream);
    return out;
}

}  // namespace tessolo
