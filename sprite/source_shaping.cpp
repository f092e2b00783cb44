#include "sprite/source_shaping.h"

#include "platform/alpha.h"
#include "sprite/high_density.h"
#include "sprite/sprite_build.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tessolo {

namespace {

struct Size {
    std::int32_t width, height;
};

// The size the settings resize a source of this size to, if any.
std::optional<Size> ResizedSize(std::int32_t width, std::int32_t height,
                                const BuildSettings& settings)
{
    switch (settings.ResizeMethod) {
    case kResizeByPercentage:
        return Size{ScaledSide(width, settings.ResizePercentage),
                    ScaledSide(height, settings.ResizePercentage)};
    case kResizeToSize:
        return Size{std::max(settings.ResizeWidth, 0), std::max(settings.ResizeHeight, 0)};
    default: return std::nullopt;
    }
}

// An empty bitmap of `width` × `height` that takes the pixels of `source`
// as Resize draws them.
Bitmap ResizedCanvas(const Bitmap& source, std::int32_t width, std::int32_t height)
{
    Bitmap scaled(width, height, source.HasAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    scaled.HasAlpha = source.HasAlpha;
    return scaled;
}

bool TransparentBackground(const BuildSettings& settings)
{
    return settings.SheetBackground == kBackgroundTransparent;
}

}  // namespace

void Resize(Bitmap& source, const BuildSettings& settings)
{
    std::optional<Size> size = ResizedSize(source.Width(), source.Height(), settings);
    if (!size)
        return;
    Bitmap scaled = ResizedCanvas(source, size->width, size->height);
    scaled.StretchDraw(source, 0, 0, size->width, size->height);
    source = std::move(scaled);
}

ShapedRows::ShapedRows(const BuildSettings& settings, std::int32_t scale, SourceRows out)
    : settings_(settings), scale_(scale), out_(std::move(out))
{
}

SourceRows ShapedRows::Input()
{
    return {[this](int width, int height) { Start(width, height); },
            [this](int y, const Bitmap& row) { Take(y, row); }};
}

void ShapedRows::Start(int width, int height)
{
    sourceHeight_ = height;
    const std::optional<Size> resized = ResizedSize(width, height, settings_);
    const Size size = resized.value_or(Size{width, height});
    resizes_ = resized.has_value();
    width_ = size.width;
    height_ = size.height;
    nextRow_ = 0;
    pads_ = UpToMultiple(width_, scale_) != width_ || UpToMultiple(height_, scale_) != height_;
    out_.start(UpToMultiple(width_, scale_), UpToMultiple(height_, scale_));
}

void ShapedRows::Take(int y, const Bitmap& row)
{
    const Bitmap* shaped = &row;
    if (!TransparentBackground(settings_) && row.HasAlpha) {
        FlattenOverWhite(row, flat_);
        shaped = &flat_;
    }
    if (!resizes_)
        return Pad(y, *shaped);
    // Resized row t is drawn from source row t * sourceHeight / height, so
    // each source row gives the resized rows that map to it, in order.
    while (nextRow_ < height_ && std::int64_t(nextRow_) * sourceHeight_ / height_ == y) {
        resized_ = ResizedCanvas(*shaped, width_, 1);
        resized_.StretchDraw(*shaped, 0, 0, width_, 1);
        Pad(nextRow_++, resized_);
    }
}

void ShapedRows::Pad(int y, const Bitmap& row)
{
    if (!pads_)
        return out_.row(y, row);
    const int width = UpToMultiple(width_, scale_);
    const bool transparent = TransparentBackground(settings_);
    padded_ = row;
    PadTo(padded_, width, 1, transparent);
    out_.row(y, padded_);
    if (y != height_ - 1)
        return;
    // The rows below the source are padding alone: a row without pixels, padded.
    padded_ = row;
    padded_.SetHeight(0);
    PadTo(padded_, width, 1, transparent);
    for (int pad = height_; pad < UpToMultiple(height_, scale_); ++pad)
        out_.row(pad, padded_);
}

}  // namespace tessolo
