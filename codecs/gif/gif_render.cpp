// Rendering: a frame as an 8-bit bitmap with its colours (plain) or mapped
// onto the web palette with error diffusion (dithered), and the image as its
// first frame on the logical screen. Results are cached until a change.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/color_reduction.h"
#include "codecs/gif/dib.h"
#include "codecs/gif/system_palettes.h"

namespace tessolo {

namespace {

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

}  // namespace

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
    image_->Progress(psStarting, 0, gifmsg::sProgressRendering);
    try {
        bitmap_ = std::make_unique<Bitmap>(image_->GetDoDither() ? RenderDithered() : RenderPlain());
    } catch (const TGIFAbort&) {
        bitmap_.reset();
        mask_.reset();
    } catch (...) {
        image_->Progress(psEnding, 0, gifmsg::sProgressRendering);
        throw;
    }
    image_->Progress(psEnding, 100, gifmsg::sProgressRendering);
    return bitmap_.get();
}

Bitmap TGIFSubImage::RenderPlain()
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
        if (y % 32 == 0)
            image_->Progress(psRunning, y * 100 / Height(), gifmsg::sProgressRendering);
    }
    if (mask && mask->Any())
        mask_ = mask->Make();
    writer.Finish();
    return result;
}

Bitmap TGIFSubImage::RenderDithered()
{
    Bitmap result;
    TDIBWriter writer(result, WebPalette(), Height(), Width(), PixelFormat::Bits8);
    // Colours of all 256 indices; those beyond the map use its first entry.
    TGIFColorMap& map = ActiveColorMap();
    if (map.Count() == 0)
        throw GIFException(gifmsg::sEmptyColorMap);
    ColorRef colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = ToColorRef(map[i < map.Count() ? i : 0]);
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer engine(Width(), lookup);
    std::unique_ptr<MaskBuilder> mask;
    if (transparent_ && needMask_) {
        needMask_ = false;
        if (!mask_)
            mask = std::make_unique<MaskBuilder>(Width(), Height());
    }
    int transparentIndex = transparent_ ? TransparentColorIndex() : -1;
    // Transparent pixels get the web colour nearest their own colour.
    int tr = RedOf(colors[transparentIndex & 0xFF]), tg = GreenOf(colors[transparentIndex & 0xFF]),
        tb = BlueOf(colors[transparentIndex & 0xFF]);
    std::uint8_t transparentFill = std::uint8_t(lookup.Lookup(tr, tg, tb));
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* in = data_.data() + std::size_t(y) * std::size_t(Width());
        std::uint8_t* out = writer.ScanLine(y);
        for (int x = engine.Column(); x >= 0 && x < Width(); x = engine.Column()) {
            if (in[x] == transparentIndex) {
                out[x] = transparentFill;
                engine.Skip();
                if (mask)
                    mask->Set(x, y);
                continue;
            }
            ColorRef c = colors[in[x]];
            out[x] = std::uint8_t(engine.Dither(RedOf(c), GreenOf(c), BlueOf(c)));
        }
        engine.NextLine();
        if (y % 32 == 0)
            image_->Progress(psRunning, y * 100 / Height(), gifmsg::sProgressRendering);
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
