#include "codecs/gif/gif_codec.h"

#include "codecs/gif/GIFImage.h"
#include "platform/alpha.h"
#include "platform/error.h"

namespace tessolo {

namespace {

// Frame pixels a source may hold: its first frame and the one being read
// (later frames are dropped once read). With the first frame's rendering
// and the 24-bit result (each within the raster cap) a source stays below
// about twice the cap.
constexpr std::size_t kMaxSourcePixelBytes = kMaxBitmapBytes / 2;

// The limits of an image read as a source, of which only the first frame is
// drawn.
void LimitAsSource(TGIFImage& image)
{
    image.TrueColorScreen = true;
    image.MaxPixelBytes = kMaxSourcePixelBytes;
    image.FirstFrameOnly = true;
}

void CheckGifSourceHead(std::span<const std::uint8_t> head, std::uint64_t)
{
    TGIFImage image;
    LimitAsSource(image);
    GIFInputStream stream(head);
    image.Header.LoadFromStream(stream);
}

// The first frame drawn at its offset on a fully transparent screen,
// keeping its transparent index transparent.
Bitmap TransparentFrameOnScreen(TGIFImage& image, TGIFSubImage& frame)
{
    Bitmap screen = TransparentBitmap(image.Width(), image.Height());
    const Bitmap* rendered = frame.GetBitmap();
    if (!rendered)
        return screen;
    int transparentIndex = frame.TransparentColorIndex();
    const std::vector<std::uint8_t>& indices = frame.Data();
    for (int y = 0; y < frame.Height() && frame.Top() + y < screen.Height(); ++y)
        for (int x = 0; x < frame.Width() && frame.Left() + x < screen.Width(); ++x)
            if (indices[std::size_t(y) * std::size_t(frame.Width()) + std::size_t(x)] != transparentIndex)
                screen.SetPixel(frame.Left() + x, frame.Top() + y, rendered->Pixel(x, y));
    return screen;
}

// The first frame drawn at its offset on a white 24-bit screen.
Bitmap FrameOnScreen(TGIFImage& image, TGIFSubImage& frame)
{
    Bitmap screen(image.Width(), image.Height(), PixelFormat::Bits24);
    if (const Bitmap* rendered = frame.GetBitmap())
        screen.Draw(*rendered, frame.Left(), frame.Top());
    return screen;
}

// The first frame of the source the stream reads, as DecodeGifSource gives it.
Bitmap FirstFrameOf(GIFInputStream& stream)
{
    TGIFImage image;
    LimitAsSource(image);
    image.LoadFromStream(stream);
    if (image.Images.Count() == 0)
        return Bitmap();
    TGIFSubImage& first = image.Images[0];
    if (first.Transparent() && first.HasData() && first.TransparentColorIndex() >= 0)
        return TransparentFrameOnScreen(image, first);
    // A frame that covers the screen is the picture; otherwise the frame is
    // drawn straight onto the result, so no screen-sized copy is made.
    if (first.Width() == image.Width() && first.Height() == image.Height() && first.HasData())
        if (const Bitmap* rendered = first.GetBitmap())
            return *rendered;
    return FrameOnScreen(image, first);
}

}  // namespace

Bitmap DecodeGifSource(std::span<const std::uint8_t> data)
{
    GIFInputStream stream(data);
    return FirstFrameOf(stream);
}

const SourceFormat kGifSource = {"GIF", kMaxGifSourceFileBytes, CheckGifSourceHead,
                                 DecodeGifSource};

Bitmap LoadGifSource(const std::string& path, std::size_t windowBytes)
{
    const ReadableFile file(path);
    CheckSourceFile(kGifSource, file, path);
    GIFInputStream stream(file, windowBytes);
    return FirstFrameOf(stream);
}

Bitmap LoadGifSource(const std::string& path) { return LoadGifSource(path, kGifFileWindowBytes); }

void WriteGifSheet(const Bitmap& sheet, const GifSheetOptions& options, const ByteSink& write)
{
    constexpr int kMaxGifSide = 0xFFFF;
    if (sheet.Width() > kMaxGifSide || sheet.Height() > kMaxGifSide)
        throw SheetTooLargeError(sheet.Width(), sheet.Height(), "GIF", kMaxGifSide);
    TGIFImage image;
    image.Compression = options.compression;
    // The frame's pixels are made again as they are written: never held.
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->AssignRowByRow(sheet);
    image.Add(std::move(frame));
    Bytes piece;
    GIFOutputStream stream(piece, write);
    image.SaveToStream(stream);
    stream.Finish();
}

Bytes EncodeGifSheet(const Bitmap& sheet, const GifSheetOptions& options)
{
    Bytes file;
    WriteGifSheet(sheet, options, AppendingTo(file));
    return file;
}

}  // namespace tessolo
