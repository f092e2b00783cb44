#include "codecs/gif/dib.h"

#include "codecs/gif/gif_messages.h"

#include <new>

namespace tessolo {

TDIBReader::TDIBReader(const Bitmap& bitmap, PixelFormat format) : source_(&bitmap)
{
    if (bitmap.Format() != format) {
        converted_.emplace(bitmap.ConvertTo(format));
        source_ = &*converted_;
    }
}

const std::uint8_t* TDIBReader::ScanLine(int row) const
{
    if (row < 0 || row >= source_->Height())
        throw Error("Scan line index out of range");
    return source_->ScanLine(row);
}

TDIBWriter::TDIBWriter(Bitmap& target, const std::vector<ColorRef>& palette, int height, int width,
                       PixelFormat format)
    : target_(target), width_(width), height_(height), format_(format)
{
    if (format != PixelFormat::Bits8 && format != PixelFormat::Bits24)
        throw GIFException(gifmsg::sInvalidPixelFormat);
    if (width <= 0 || height <= 0)
        throw GIFException(gifmsg::sBadDimension);
    if (format == PixelFormat::Bits8) {
        palette_.assign(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256));
        palette_.resize(256, kBlack);
    }
}

std::uint8_t* TDIBWriter::ScanLine(int row)
{
    if (!image_) {
        try {
            image_.emplace(width_, height_, format_);
        } catch (const std::bad_alloc&) {
            throw GIFException(gifmsg::sOutOfMemDIB);
        } catch (const Error&) {
            throw GIFException(gifmsg::sOutOfMemDIB);
        }
        if (format_ == PixelFormat::Bits8)
            image_->SetPalette(palette_);
    }
    if (row < 0 || row >= height_)
        throw Error("Scan line index out of range");
    return image_->ScanLine(row);
}

void TDIBWriter::Finish()
{
    if (!image_)
        throw GIFException(gifmsg::sNoDIB);
    target_ = std::move(*image_);
    image_.reset();
}

}  // namespace tessolo
