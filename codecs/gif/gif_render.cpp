// Rendering: a frame as an 8-bit bitmap with its colours, and the image as
// its first frame on the logical screen (dithered rendering is in
// gif_unused_dithering.cpp). Results are cached until a change.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/dib.h"
#include "codecs/gif/gif_mask_builder.h"
#include "codecs/gif/system_palettes.h"

namespace tessolo {

std::vector<ColorRef> TGIFSubImage::GetPalette()
{
    if (bitmap_ && !bitmap_->Palette().empty())
        return bitmap_->Palette();
    if (!palette_) {
        if (image_->GetDoDither())
            palette_ = WebPalette();
        else if (ColorMap.Count() > 0)
            palette_ = ColorMap.ExportPalette();
        else
            return image_->GetPalette();
    }
    return *palette_;
}

const Bitmap* TGIFSubImage::GetBitmap()
{
    if (bitmap_ || !hasData_)
        return bitmap_.get();
    GIFProgress progress(*image_, gifmsg::sProgressRendering);
    try {
        bitmap_ = std::make_unique<Bitmap>(image_->GetDoDither() ? RenderDithered(progress)
                                                                 : RenderPlain(progress));
    } catch (const TGIFAbort&) {
        bitmap_.reset();
        mask_.reset();
    }
    return bitmap_.get();
}

Bitmap TGIFSubImage::RenderPlain(const GIFProgress& progress)
{
    Bitmap result;
    TDIBWriter writer(result, GetPalette(), Height(), Width(), PixelFormat::Bits8);
    std::unique_ptr<MaskBuilder> mask;
    if (transparent_ && needMask_) {
        needMask_ = false;
        if (!mask_)
            mask = std::make_unique<MaskBuilder>(Width(), Height());
    }
    int transparentIndex = TransparentColorIndex();
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = data_.data() + std::size_t(y) * std::size_t(Width());
        std::copy(in, in + Width(), writer.ScanLine(y));
        if (mask)
            for (int x = 0; x < Width(); ++x)
                if (in[x] == transparentIndex)
                    mask->Set(x, y);
        progress.Row(y, Height());
    }
    if (mask && mask->Any())
        mask_ = mask->Make();
    writer.Finish();
    return result;
}

std::vector<ColorRef> TGIFImage::GetPalette()
{
    if (bitmap_ && !bitmap_->Palette().empty())
        return bitmap_->Palette();
    if (palette_)
        return *palette_;
    if (computingPalette_)
        throw GIFException(gifmsg::sNoColorTable);
    computingPalette_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{computingPalette_};
    if (GetDoDither())
        palette_ = WebPalette();
    else if (Header.ColorMap.Count() > 0)
        palette_ = Header.ColorMap.ExportPalette();
    else if (Images.Count() > 0)
        return Images[0].GetPalette();
    return palette_ ? *palette_ : std::vector<ColorRef>{};
}

const Bitmap* TGIFImage::GetBitmap()
{
    if (Images.Count() == 0)
        return nullptr;
    if (bitmap_)
        return bitmap_.get();
    TGIFSubImage& first = Images[0];
    // A frame that covers the screen is the image; its cache serves both.
    if (first.Width() == Width() && first.Height() == Height() && first.HasData())
        return first.GetBitmap();
    // The frame lands at its offset on a fresh (white) screen-sized bitmap.
    CheckTrueColorScreen(Width(), Height());
    auto screen = std::make_unique<Bitmap>(Width(), Height(), PixelFormat::Bits24);
    if (const Bitmap* frame = first.GetBitmap())
        screen->Draw(*frame, first.Left(), first.Top());
    bitmap_ = std::move(screen);
    return bitmap_.get();
}

}  // namespace tessolo
