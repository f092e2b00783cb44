// The image, its header, its frame list and the trailer: reading and
// writing the stream structure around the frames.
#include "codecs/gif/GIFImage.h"

#include <cctype>
#include <cstring>

namespace tessolo {

const char* GIFVersionText(TGIFVersion version)
{
    switch (version) {
    case gv87a: return "87a";
    case gv89a: return "89a";
    default: return "";
    }
}

void TGIFItem::Warning(TGIFSeverity severity, const std::string& message) const
{
    if (image_)
        image_->Warning(this, severity, message);
}

// ---- Header ----

TGIFVersion TGIFHeader::GetVersion() const
{
    return ColorMap.Optimized || Descriptor.AspectRatio != 0 ? gv89a : gv87a;
}

void TGIFHeader::Clear()
{
    ColorMap.Clear();
    Descriptor.ScreenWidth = 0;
    Descriptor.ScreenHeight = 0;
    Descriptor.PackedFields = PreparedPackedFields();
}

void TGIFHeader::Assign(const TGIFHeader& source)
{
    ColorMap.Assign(source.ColorMap);
    Descriptor = source.Descriptor;
}

std::uint8_t TGIFHeader::PreparedPackedFields() const
{
    std::uint8_t packed = 0;
    if (ColorMap.Count() > 0)
        packed |= 0x80;
    if (ColorMap.Optimized)
        packed |= 0x08;
    packed |= std::uint8_t((image_->GetColorResolution() << 4) & 0x70);
    packed |= std::uint8_t((image_->GetBitsPerPixel() - 1) & 0x07);
    return packed;
}

void TGIFHeader::LoadFromStream(GIFInputStream& stream)
{
    std::size_t start = stream.Position();
    char signature[6];
    stream.Read(signature, 6);
    auto isGIF = [&] {
        return std::toupper(static_cast<unsigned char>(signature[0])) == 'G' &&
               std::toupper(static_cast<unsigned char>(signature[1])) == 'I' &&
               std::toupper(static_cast<unsigned char>(signature[2])) == 'F';
    };
    if (!isGIF()) {
        // Files that carry a 4-byte prefix before the signature.
        stream.Seek(start + 4);
        stream.Read(signature, 6);
        if (!isGIF())
            throw GIFException(gifmsg::sBadSignature);
    }
    Descriptor.ScreenWidth = stream.ReadU16();
    Descriptor.ScreenHeight = stream.ReadU16();
    Descriptor.PackedFields = stream.ReadU8();
    Descriptor.BackgroundColorIndex = stream.ReadU8();
    Descriptor.AspectRatio = stream.ReadU8();
    image_->ScreenRead(0, 0);
    if (Descriptor.PackedFields & 0x80)
        ColorMap.LoadFromStream(stream, 2 << (Descriptor.PackedFields & 7));
    else
        ColorMap.Clear();
}

void TGIFHeader::SaveToStream(GIFOutputStream& stream) const
{
    if (Descriptor.ScreenWidth > 0xFFFF || Descriptor.ScreenHeight > 0xFFFF)
        throw GIFException(gifmsg::sScreenTooWide);
    stream.WriteU16(std::uint16_t(Descriptor.ScreenWidth));
    stream.WriteU16(std::uint16_t(Descriptor.ScreenHeight));
    // The packed byte depends on every map, so it is computed as it is written.
    const std::uint8_t packed = PreparedPackedFields();
    stream.WriteByte(packed);
    stream.WriteByte(Descriptor.BackgroundColorIndex);
    stream.WriteByte(Descriptor.AspectRatio);
    if (packed & 0x80)
        ColorMap.SaveToStream(stream);
}

// ---- Global colour map: used by every frame without a local map ----

template <>
void TGIFOwnedColorMap<TGIFHeader>::BuildHistogram(TUsageCountArray& histogram)
{
    TGIFImage& image = *owner_.Image();
    for (int i = 0; i < image.Images.Count(); ++i) {
        TGIFSubImage& frame = image.Images[i];
        if (&frame.ActiveColorMap() == this)
            for (std::uint8_t index : frame.Data())
                ++histogram[index].Count;
    }
}

template <>
void TGIFOwnedColorMap<TGIFHeader>::MapImages(const std::uint8_t* translation)
{
    TGIFImage& image = *owner_.Image();
    for (int i = 0; i < image.Images.Count(); ++i) {
        TGIFSubImage& frame = image.Images[i];
        if (&frame.ActiveColorMap() != this)
            continue;
        for (std::uint8_t& index : frame.Data())
            index = translation[index];
        if (frame.Transparent() && frame.GraphicControlExtension())
            frame.GraphicControlExtension()->Rec.TransparentColorIndex =
                translation[frame.GraphicControlExtension()->Rec.TransparentColorIndex];
        frame.FreeBitmap();
    }
}

template <>
void TGIFOwnedColorMap<TGIFHeader>::Changed()
{
    owner_.Image()->ReleasePalette();
    owner_.Image()->Changed();
}

// ---- Frame list and trailer ----

void TGIFImageList::LoadFromStream(GIFInputStream& stream, TGIFImage& parent)
{
    auto nextBlock = [&](std::uint8_t& b) {
        while (stream.ReadByte(b))
            if (b != 0)
                return true;
        return false;
    };
    std::uint8_t b;
    if (!nextBlock(b))
        return;
    while (b != 0x3B) {
        stream.Skip(-1);
        if (b != 0x21 && b != 0x2C) {
            parent.Warning(&parent, gsWarning, gifmsg::sBadBlock);
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(&parent);
        frame->LoadFromStream(stream);
        if (parent.FirstFrameOnly && Count() > 0)
            frame->FreeData();
        Add(std::move(frame));
        parent.Progress(psRunning, stream.Size() ? int(stream.Position() * 100 / stream.Size()) : 100,
                        gifmsg::sProgressLoading);
        if (!nextBlock(b))
            return;
    }
    stream.Skip(-1);
}

void TGIFImageList::SaveToStream(GIFOutputStream& stream) const
{
    for (int i = 0; i < Count(); ++i) {
        (*this)[i].SaveToStream(stream);
        (*this)[i].Image()->Progress(psRunning, (i + 1) * 100 / Count(), gifmsg::sProgressSaving);
    }
}

void TGIFTrailer::Write(GIFOutputStream& stream)
{
    stream.WriteByte(0x3B);
}

void TGIFTrailer::LoadFromStream(GIFInputStream& stream)
{
    std::uint8_t b;
    if (stream.ReadByte(b) && b != 0x3B)
        Warning(gsWarning, gifmsg::sBadTrailer);
}

// ---- Image ----

TGIFImage::TGIFImage() : Header(this)
{
    Clear();
}

TGIFImage::~TGIFImage()
{
    // Frames give their pixel bytes back to this image as they go.
    Images.Clear();
}

void TGIFImage::Clear()
{
    bitmap_.reset();
    Images.Clear();
    Header.Clear();
    palette_.reset();
}

void TGIFImage::Warning(const void* sender, TGIFSeverity severity, const std::string& message) const
{
    if (OnWarning)
        OnWarning(sender, severity, message);
}

void TGIFImage::Changed()
{
    bitmap_.reset();
}

void TGIFImage::CheckTrueColorScreen(int width, int height)
{
    if (height > 0 && RowBytes(width, PixelFormat::Bits24) > kMaxBitmapBytes / std::size_t(height))
        throw GIFException(gifmsg::sScreenTooLarge);
}

void TGIFImage::ScreenRead(int right, int bottom) const
{
    if (TrueColorScreen)
        CheckTrueColorScreen(std::max(Width(), right), std::max(Height(), bottom));
}

void TGIFImage::ReservePixels(std::size_t bytes)
{
    if (pixelBytes_ > MaxPixelBytes || bytes > MaxPixelBytes - pixelBytes_)
        throw GIFException(gifmsg::sFrameTooLarge);
    pixelBytes_ += bytes;
}

void TGIFImage::LoadFromStream(GIFInputStream& stream)
{
    GIFProgress progress(*this, gifmsg::sProgressLoading);
    Clear();
    std::size_t start = stream.Position();
    try {
        Header.LoadFromStream(stream);
        Images.LoadFromStream(stream, *this);
        FixHeaderWidthHeight();
        TGIFTrailer(this).LoadFromStream(stream);
    } catch (...) {
        stream.Seek(start);
        throw;
    }
}

void TGIFImage::SaveToStream(GIFOutputStream& stream) const
{
    GIFProgress progress(*this, gifmsg::sProgressSaving);
    TGIFVersion version = GetVersion();
    if (version == gvUnknown)
        throw GIFException(gifmsg::sBadVersion);
    stream.Write("GIF", 3);
    stream.Write(GIFVersionText(version), 3);
    Header.SaveToStream(stream);
    Images.SaveToStream(stream);
    TGIFTrailer::Write(stream);
}

void TGIFImage::Assign(const TGIFImage& source)
{
    if (&source == this)
        return;
    Clear();
    Header.Assign(source.Header);
    DrawOptions = source.DrawOptions;
    ColorReduction = source.ColorReduction;
    ReductionBits = source.ReductionBits;
    DitherMode = source.DitherMode;
    Compression = source.Compression;
    AnimationSpeed = source.AnimationSpeed;
    OnWarning = source.OnWarning;
    OnProgress = source.OnProgress;
    {
        GIFProgress progress(*this, gifmsg::sProgressCopying);
        for (int i = 0; i < source.Images.Count(); ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(source.Images[i]);
            Images.Add(std::move(frame));
            progress.Running((i + 1) * 100 / source.Images.Count());
        }
    }
    FixHeaderWidthHeight();
}

void TGIFImage::Assign(const Bitmap& bitmap)
{
    Clear();
    Add(bitmap);
}

TGIFSubImage& TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame)
{
    TGIFSubImage& added = Images.Add(std::move(frame));
    Changed();
    return added;
}

TGIFSubImage& TGIFImage::Add(const Bitmap& bitmap)
{
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(bitmap);
    return Add(std::move(frame));
}

void TGIFImage::SetWidth(int width)
{
    for (int i = 0; i < Images.Count(); ++i)
        if (Images[i].Left() + Images[i].Width() > width)
            throw GIFException(gifmsg::sBadWidth);
    Header.Descriptor.ScreenWidth = width;
    Changed();
}

void TGIFImage::SetHeight(int height)
{
    for (int i = 0; i < Images.Count(); ++i)
        if (Images[i].Top() + Images[i].Height() > height)
            throw GIFException(gifmsg::sBadHeight);
    Header.Descriptor.ScreenHeight = height;
    Changed();
}

TGIFVersion TGIFImage::GetVersion() const
{
    TGIFVersion version = gvUnknown;
    for (int i = 0; i < Images.Count() && version != gv89a; ++i)
        version = std::max(version, Images[i].GetVersion());
    return version;
}

int TGIFImage::GetColorResolution() const
{
    return GetBitsPerPixel() - 1;
}

int TGIFImage::GetBitsPerPixel() const
{
    int bits = Header.ColorMap.BitsPerPixel();
    for (int i = 0; i < Images.Count(); ++i)
        bits = std::max(bits, Images[i].ColorMap.BitsPerPixel());
    return bits;
}

void TGIFImage::FixHeaderWidthHeight()
{
    for (int i = 0; i < Images.Count(); ++i) {
        const TGIFSubImage& frame = Images[i];
        Header.Descriptor.ScreenWidth = std::max(Header.Descriptor.ScreenWidth, frame.Left() + frame.Width());
        Header.Descriptor.ScreenHeight = std::max(Header.Descriptor.ScreenHeight, frame.Top() + frame.Height());
    }
}

void TGIFImage::OptimizeColorMaps()
{
    GIFProgress progress(*this, gifmsg::sProgressOptimizing);
    Header.ColorMap.Optimize();
    for (int i = 0; i < Images.Count(); ++i)
        Images[i].ColorMap.Optimize();
}

}  // namespace tessolo
