#include "codecs/gif/gif_source.h"

#include "codecs/gif/GIFImage.h"
#include "platform/error.h"

namespace tessolo {

namespace {

// Paints the first frame's transparent pixels white, the sheet's background,
// instead of whatever colour the map holds at the transparent index.
Bitmap WhiteWhereTransparent(const Bitmap& rendered, TGIFSubImage& frame)
{
    int transparentIndex = frame.TransparentColorIndex();
    if (rendered.Format() == PixelFormat::Bits8) {
        // A frame that covers the screen: only the transparent index changes colour.
        Bitmap result = rendered;
        std::vector<ColorRef> palette = result.Palette();
        palette.resize(256, kBlack);
        palette[std::size_t(transparentIndex)] = kWhite;
        result.SetPalette(std::move(palette));
        return result;
    }
    Bitmap result = rendered.ConvertTo(PixelFormat::Bits24);
    const std::vector<std::uint8_t>& indices = frame.Data();
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x) {
            int sx = frame.Left() + x, sy = frame.Top() + y;
            if (indices[std::size_t(y) * std::size_t(frame.Width()) + std::size_t(x)] ==
                    transparentIndex &&
                sx < result.Width() && sy < result.Height())
                result.SetPixel(sx, sy, kWhite);
        }
    return result;
}

}  // namespace

Bitmap DecodeGifSource(std::span<const std::uint8_t> data)
{
    TGIFImage image;
    GIFInputStream stream(data);
    image.LoadFromStream(stream);
    const Bitmap* bitmap = image.GetBitmap();
    if (!bitmap)
        return Bitmap();
    TGIFSubImage& first = image.Images[0];
    if (first.Transparent() && first.HasData() && first.TransparentColorIndex() >= 0)
        return WhiteWhereTransparent(*bitmap, first);
    return *bitmap;
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
