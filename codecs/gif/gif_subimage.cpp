// A frame: its extensions, descriptor and local colour map on the stream,
// its bounds on the logical screen, and copying between frames.
#include "codecs/gif/GIFImage.h"

#include "codecs/gif/gif_encoder.h"

namespace tessolo {

// ---- Local colour map: used by its own frame only ----

template <>
void TGIFOwnedColorMap<TGIFSubImage>::BuildHistogram(TUsageCountArray& histogram)
{
    for (std::uint8_t index : owner_.data_)
        ++histogram[index].Count;
    for (std::size_t index = 0; index < owner_.counted_.size(); ++index)
        histogram[index].Count += owner_.counted_[index];
}

template <>
void TGIFOwnedColorMap<TGIFSubImage>::MapImages(const std::uint8_t* translation)
{
    for (std::uint8_t& index : owner_.data_)
        index = translation[index];
    for (std::uint8_t& index : owner_.renumbered_)
        index = translation[index];
    if (owner_.transparent_ && owner_.gce_)
        owner_.gce_->Rec.TransparentColorIndex = translation[owner_.gce_->Rec.TransparentColorIndex];
}

template <>
void TGIFOwnedColorMap<TGIFSubImage>::Changed()
{
    owner_.FreeBitmap();
    if (owner_.Image())
        owner_.Image()->Changed();
}

// ---- Frame ----

std::unique_ptr<TGIFExtension> TGIFSubImage::ReadExtension(GIFInputStream& stream)
{
    std::size_t introducer = stream.Position();
    stream.Skip(1);
    const TGIFExtensionClass* cls = ExtensionRegistry().Find(stream.ReadU8());
    while (cls && cls->FindSubExtension) {
        const TGIFExtensionClass* sub = cls->FindSubExtension(*cls, stream);
        if (sub == cls)
            break;
        cls = sub;
    }
    stream.Seek(introducer);
    if (!cls)
        throw GIFException(gifmsg::sUnknownExtension);
    // Only the application extension itself has no instances: its block
    // size named no concrete class.
    if (!cls->Create)
        throw GIFException(gifmsg::sBadBlockSize);
    std::unique_ptr<TGIFExtension> extension = cls->Create(*this);
    extension->LoadFromStream(stream);
    return extension;
}

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), ColorMap(*this) {}

TGIFSubImage::~TGIFSubImage()
{
    // Extensions refer back to this frame while they are destroyed.
    Extensions.Clear();
    if (hasData_)
        image_->ReleasePixels(data_.size());
}

void TGIFSubImage::FreeBitmap()
{
    bitmap_.reset();
    mask_.reset();
    needMask_ = true;
    palette_.reset();
}

void TGIFSubImage::AllocateData(std::uint8_t fill, std::uint64_t maxPixels)
{
    std::size_t bytes = std::size_t(Width()) * std::size_t(Height());
    if (hasData_) {
        image_->ReleasePixels(data_.size());
        hasData_ = false;
    }
    data_.clear();
    image_->ReservePixels(bytes);
    try {
        if (bytes > maxPixels)
            throw GIFException(gifmsg::sOutOfData);
        data_.assign(bytes, fill);
    } catch (...) {
        image_->ReleasePixels(bytes);
        throw;
    }
    hasData_ = true;
}

void TGIFSubImage::Clear()
{
    Extensions.Clear();
    ColorMap.Clear();
    Descriptor = TImageDescriptor{};
    FreeData();
    rowSource_ = nullptr;
    counted_.clear();
    transparent_ = false;
    FreeBitmap();
}

void TGIFSubImage::FreeData()
{
    if (hasData_)
        image_->ReleasePixels(data_.size());
    data_.clear();
    data_.shrink_to_fit();
    hasData_ = false;
}

TGIFColorMap& TGIFSubImage::ActiveColorMap()
{
    if (ColorMap.Count() > 0)
        return ColorMap;
    if (image_->Header.ColorMap.Count() > 0)
        return image_->Header.ColorMap;
    return ColorMap;
}

int TGIFSubImage::TransparentColorIndex() const
{
    return gce_ ? gce_->TransparentColorIndex() : 0;
}

void TGIFSubImage::SetInterlaced(bool interlaced)
{
    Descriptor.PackedFields = std::uint8_t(interlaced ? Descriptor.PackedFields | 0x40
                                                      : Descriptor.PackedFields & ~0x40);
}

void TGIFSubImage::SetBounds(int left, int top, int width, int height)
{
    const bool resized = width != Width() || height != Height();
    SetBoundsWithoutData(left, top, width, height);
    if (resized) {
        FreeBitmap();
        AllocateData(0);
    }
}

void TGIFSubImage::SetBoundsWithoutData(int left, int top, int width, int height)
{
    // The descriptor holds 16-bit values; anything wider would be cut short.
    for (int value : {left, top, width, height})
        if (value < 0 || value > 0xFFFF)
            throw GIFException(gifmsg::sBadDimension);
    Descriptor.Left = std::uint16_t(left);
    Descriptor.Top = std::uint16_t(top);
    Descriptor.Width = std::uint16_t(width);
    Descriptor.Height = std::uint16_t(height);
    TLogicalScreenDescriptor& screen = image_->Header.Descriptor;
    bool exceeded = false;
    if (Left() + Width() > screen.ScreenWidth) {
        if (screen.ScreenWidth != 0) {
            Warning(gsWarning, gifmsg::sBadWidth);
            exceeded = true;
        }
        screen.ScreenWidth = Left() + Width();
    }
    if (Top() + Height() > screen.ScreenHeight) {
        if (screen.ScreenHeight != 0) {
            Warning(gsWarning, gifmsg::sBadHeight);
            exceeded = true;
        }
        screen.ScreenHeight = Top() + Height();
    }
    if (exceeded)
        Warning(gsWarning, gifmsg::sScreenSizeExceeded);
}

TGIFVersion TGIFSubImage::GetVersion() const
{
    return ColorMap.Optimized || Extensions.Count() > 0 ? gv89a : gv87a;
}

void TGIFSubImage::LoadFromStream(GIFInputStream& stream)
{
    Clear();
    // Extensions: 0x21 blocks up to the descriptor or the trailer.
    std::uint8_t b;
    while (stream.ReadByte(b)) {
        if (b == 0x2C || b == 0x3B) {
            stream.Skip(-1);
            break;
        }
        if (b != 0x21) {
            Warning(gsWarning, gifmsg::sBadExtensionLabel);
            stream.Skip(-1);
            break;
        }
        stream.Skip(-1);
        Extensions.Add(ReadExtension(stream));
    }

    // An extension-only frame ends at the trailer, a zero byte or the end.
    std::uint8_t next;
    if (!stream.ReadByte(next))
        return;
    stream.Skip(-1);
    if (next == 0x3B || next == 0x00)
        return;
    ReadRecord(stream, Descriptor);
    if (Width() == 0 || Height() == 0) {
        const TLogicalScreenDescriptor& screen = image_->Header.Descriptor;
        Descriptor.Width = std::uint16_t(std::min(screen.ScreenWidth, 0xFFFF));
        Descriptor.Height = std::uint16_t(std::min(screen.ScreenHeight, 0xFFFF));
        Warning(gsWarning, gifmsg::sScreenSizeExceeded);
    }
    image_->ScreenRead(Left() + Width(), Top() + Height());
    if (Descriptor.PackedFields & 0x80)
        ColorMap.LoadFromStream(stream, 2 << (Descriptor.PackedFields & 7));
    Decompress(stream);
}

void TGIFSubImage::Prepare(TImageDescriptor& descriptor) const
{
    if (ColorMap.Count() > 0) {
        descriptor.PackedFields = 0x80;
        if (ColorMap.Optimized)
            descriptor.PackedFields |= 0x20;
        descriptor.PackedFields |= std::uint8_t((ColorMap.BitsPerPixel() - 1) & 0x07);
    } else {
        descriptor.PackedFields &= 0x58;
    }
}

void TGIFSubImage::SaveToStream(GIFOutputStream& stream) const
{
    for (int i = 0; i < Extensions.Count(); ++i)
        Extensions[i].SaveToStream(stream);
    if (!hasData_ && !rowSource_)
        return;
    TImageDescriptor descriptor = Descriptor;
    Prepare(descriptor);
    WriteRecord(stream, descriptor);
    ColorMap.SaveToStream(stream);
    Compress(stream);
}

void TGIFSubImage::Compress(GIFOutputStream& stream) const
{
    int bitsPerPixel, colorLimit;
    if (ColorMap.Count() > 0) {
        bitsPerPixel = ColorMap.BitsPerPixel();
        colorLimit = ColorMap.Count();
    } else {
        bitsPerPixel = image_->GetBitsPerPixel();
        colorLimit = 1 << bitsPerPixel;
    }
    std::unique_ptr<TGIFEncoder> encoder;
    if (image_->Compression == gcRLE)
        encoder = std::make_unique<TRLEEncoder>();
    else
        encoder = std::make_unique<TLZWEncoder>();
    if (!rowSource_)
        return encoder->Encode(stream, bitsPerPixel, colorLimit, data_.data(), Interlaced(), Height(), Width());
    std::vector<std::uint8_t> row(static_cast<std::size_t>(Width()));
    int next = 0;
    const TGIFEncoder::RowSource rows = [&](int y) {
        // Rows are made in order only: a frame assigned row by row is not interlaced.
        if (y != next++)
            throw GIFException(gifmsg::sInvalidData);
        rowSource_(y, row.data());
        return row.data();
    };
    encoder->Encode(stream, bitsPerPixel, colorLimit, rows, Interlaced(), Height(), Width());
}

void TGIFSubImage::Assign(const TGIFSubImage& source)
{
    if (&source == this)
        return;
    Clear();
    // Extensions are copied through their own stream form.
    Bytes saved;
    GIFOutputStream out(saved);
    for (int i = 0; i < source.Extensions.Count(); ++i)
        source.Extensions[i].SaveToStream(out);
    GIFInputStream in(saved);
    while (!in.AtEnd())
        Extensions.Add(ReadExtension(in));
    ColorMap.Assign(source.ColorMap);
    Descriptor = source.Descriptor;
    transparent_ = source.transparent_;
    if (source.hasData_) {
        AllocateData(0);
        data_ = source.data_;
    }
}

}  // namespace tessolo
