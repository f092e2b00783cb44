// The GIF object model: an image holds a header (logical screen and global
// colour map) and a list of frames; each frame holds its extensions, its
// local colour map, its descriptor and one colour index per pixel.
//
// Reading:  TGIFImage image; GIFInputStream in(bytes); image.LoadFromStream(in);
//           const Bitmap* first = image.GetBitmap();   // first frame on the screen
// Writing:  image.Assign(bitmap); image.Compression = gcRLE; image.SaveToStream(out);
#pragma once

#include "codecs/gif/gif_colormap.h"
#include "codecs/gif/gif_extensions.h"
#include "codecs/gif/gif_item.h"
#include "codecs/gif/gif_messages.h"
#include "codecs/gif/gif_types.h"
#include "codecs/gif/gif_unused_progress.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessolo {

class TGIFHeader;
class TGIFSubImage;

// A colour map that knows its owner: the header for the global map, a frame
// for a local one. Each owner's specialisation says which frames use the map.
template <class Owner>
class TGIFOwnedColorMap : public TGIFColorMap {
public:
    explicit TGIFOwnedColorMap(Owner& owner) : owner_(owner) {}

protected:
    void Warning(TGIFSeverity severity, const std::string& message) override;
    void BuildHistogram(TUsageCountArray& histogram) override;
    void MapImages(const std::uint8_t* translation) override;
    void Changed() override;

private:
    Owner& owner_;
};

using TGIFGlobalColorMap = TGIFOwnedColorMap<TGIFHeader>;
using TGIFLocalColorMap = TGIFOwnedColorMap<TGIFSubImage>;
template <> void TGIFOwnedColorMap<TGIFHeader>::BuildHistogram(TUsageCountArray& histogram);
template <> void TGIFOwnedColorMap<TGIFHeader>::MapImages(const std::uint8_t* translation);
template <> void TGIFOwnedColorMap<TGIFHeader>::Changed();
template <> void TGIFOwnedColorMap<TGIFSubImage>::BuildHistogram(TUsageCountArray& histogram);
template <> void TGIFOwnedColorMap<TGIFSubImage>::MapImages(const std::uint8_t* translation);
template <> void TGIFOwnedColorMap<TGIFSubImage>::Changed();

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image) : TGIFItem(image), ColorMap(*this) {}

    TLogicalScreenDescriptor Descriptor;
    TGIFGlobalColorMap ColorMap;

    // gv89a when the global map is sorted or the aspect ratio is set.
    TGIFVersion GetVersion() const override;
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;
    void Assign(const TGIFHeader& source);
    // Empties the global map and the screen size; background index and
    // aspect ratio keep their values.
    void Clear();
    // The packed byte as the maps of the whole image make it.
    std::uint8_t PreparedPackedFields() const;
    int BackgroundColorIndex() const { return Descriptor.BackgroundColorIndex; }
};

using TGIFExtensionList = TGIFList<TGIFExtension>;

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    TGIFExtensionList Extensions;
    TGIFLocalColorMap ColorMap;
    TImageDescriptor Descriptor;

    int Left() const { return Descriptor.Left; }
    int Top() const { return Descriptor.Top; }
    int Width() const { return Descriptor.Width; }
    int Height() const { return Descriptor.Height; }
    bool Interlaced() const { return Descriptor.PackedFields & 0x40; }
    void SetInterlaced(bool interlaced);
    // A change of size replaces the pixels with zeros and grows the logical
    // screen to contain the frame (warning when the screen had a size).
    void SetBounds(int left, int top, int width, int height);

    // One colour index per pixel, rows top to bottom; empty without pixel data.
    bool HasData() const { return hasData_; }
    std::vector<std::uint8_t>& Data() { return data_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    // Drops the pixels, giving their bytes back to the image.
    void FreeData();

    // The local map when it has entries, else the global map when that has
    // entries, else the (empty) local map.
    TGIFColorMap& ActiveColorMap();
    bool Transparent() const { return transparent_; }
    void SetTransparentFlag(bool transparent) { transparent_ = transparent; }
    TGIFGraphicControlExtension* GraphicControlExtension() { return gce_; }
    const TGIFGraphicControlExtension* GraphicControlExtension() const { return gce_; }
    void SetGraphicControlExtension(TGIFGraphicControlExtension* gce) { gce_ = gce; }
    int TransparentColorIndex() const;

    TGIFVersion GetVersion() const override;
    void SaveToStream(GIFOutputStream& stream) const override;
    void LoadFromStream(GIFInputStream& stream) override;
    void Clear();
    void Assign(const TGIFSubImage& source);
    // Makes this frame from a bitmap: palette bitmaps keep their indices and
    // colours, others are reduced with the image's settings. A bitmap with
    // alpha is reduced as blended over white, and its fully transparent
    // pixels are marked transparent.
    void Assign(const Bitmap& bitmap);
    // Makes this frame from a bitmap as Assign does, without holding its
    // pixels: they are made again a row at a time whenever the frame is
    // written, so the bitmap must outlive the frame and stay as it is. The
    // frame has no data to read or render.
    void AssignRowByRow(const Bitmap& bitmap);

    // Pixel coding (Decompress reads through the block terminator).
    void Decompress(GIFInputStream& stream);
    void Compress(GIFOutputStream& stream) const;

    // The frame as an 8-bit bitmap with its palette; null without pixel data.
    const Bitmap* GetBitmap();
    // 1 bit per pixel, set where the transparent index is; null when none.
    const Bitmap* Mask() const { return mask_.get(); }
    std::vector<ColorRef> GetPalette();
    void FreeBitmap();

private:
    friend class TGIFOwnedColorMap<TGIFSubImage>;
    // Reads the extension at the stream (on its 0x21) through the class the
    // registries choose for it.
    std::unique_ptr<TGIFExtension> ReadExtension(GIFInputStream& stream);
    // Replaces the pixels with `fill`. Refused, before anything is
    // allocated, beyond the image's MaxPixelBytes and then beyond
    // `maxPixels`, what the data they are decoded from can code.
    void AllocateData(std::uint8_t fill, std::uint64_t maxPixels = UINT64_MAX);
    // SetBounds without touching the pixels.
    void SetBoundsWithoutData(int left, int top, int width, int height);
    void Prepare(TImageDescriptor& descriptor) const;
    // Marks the pixels for which isClear(x, y) holds with an added map
    // entry and a transparent graphic control extension.
    template <class IsClear>
    void ApplyTransparency(IsClear&& isClear);
    // Sorts the map by use and adds the transparent entry when a pixel is
    // clear and the map has room: its index, else -1.
    int AddTransparentEntry(bool anyClear);
    Bitmap RenderPlain(const GIFProgress& progress);
    Bitmap RenderDithered(const GIFProgress& progress);

    std::vector<std::uint8_t> data_;
    bool hasData_ = false;
    // A frame assigned row by row: writes row y's indices, rows in order.
    std::function<void(int y, std::uint8_t* out)> rowSource_;
    // Its colours' uses, counted as it was assigned, and how sorting the map
    // by them renumbered the colours.
    std::vector<int> counted_;
    std::array<std::uint8_t, 256> renumbered_{};
    bool transparent_ = false;
    bool needMask_ = true;
    TGIFGraphicControlExtension* gce_ = nullptr;
    std::unique_ptr<Bitmap> bitmap_;
    std::unique_ptr<Bitmap> mask_;
    std::optional<std::vector<ColorRef>> palette_;
};

class TGIFImageList : public TGIFList<TGIFSubImage> {
public:
    // Reads frames until the trailer, the end of the stream or an unknown block.
    void LoadFromStream(GIFInputStream& stream, TGIFImage& parent);
    void SaveToStream(GIFOutputStream& stream) const;
};

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    // Writes the trailer byte.
    static void Write(GIFOutputStream& stream);
    void SaveToStream(GIFOutputStream& stream) const override { Write(stream); }
    // Warns when the next byte exists and is not the trailer.
    void LoadFromStream(GIFInputStream& stream) override;
};

class TGIFImage {
public:
    TGIFImage();
    ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    TGIFHeader Header;
    TGIFImageList Images;

    TGIFDrawOptions DrawOptions = GIFImageDefaultDrawOptions;
    TColorReduction ColorReduction = GIFImageDefaultColorReduction;
    int ReductionBits = GIFImageDefaultColorReductionBits;
    TDitherMode DitherMode = GIFImageDefaultDitherMode;
    TGIFCompression Compression = GIFImageDefaultCompression;
    int AnimationSpeed = GIFImageDefaultAnimationSpeed;
    TGIFWarning OnWarning;
    TGIFProgress OnProgress;
    // Most bytes the pixels of all frames together may take; a frame beyond
    // it is refused before anything is allocated.
    std::size_t MaxPixelBytes = kMaxBitmapBytes;
    // Set by callers that turn the image into a 24-bit bitmap: a logical
    // screen whose 24-bit bitmap would exceed kMaxBitmapBytes is refused when
    // the header, or a frame that widens the screen, is read, before any
    // pixels are allocated.
    bool TrueColorScreen = false;
    // Set by callers that use the first frame only: every later frame is
    // read and checked as ever, and its pixels are dropped once read, so
    // that MaxPixelBytes bounds the first frame and the one being read.
    bool FirstFrameOnly = false;

    // Replaces the content with the GIF at the stream's position. On failure
    // the frames read so far stay and the stream returns to where it was.
    void LoadFromStream(GIFInputStream& stream);
    // "Unsupported GIF version" when there are no frames.
    void SaveToStream(GIFOutputStream& stream) const;

    void Clear();
    void Assign(const TGIFImage& source);
    // One frame made from the bitmap (see TGIFSubImage::Assign).
    void Assign(const Bitmap& bitmap);
    TGIFSubImage& Add(std::unique_ptr<TGIFSubImage> frame);
    TGIFSubImage& Add(const Bitmap& bitmap);

    bool GetEmpty() const { return Images.Count() == 0; }
    int Width() const { return Header.Descriptor.ScreenWidth; }
    int Height() const { return Header.Descriptor.ScreenHeight; }
    // Refused when a frame would not fit the new size.
    void SetWidth(int width);
    void SetHeight(int height);
    TGIFVersion GetVersion() const;
    int GetColorResolution() const;
    int GetBitsPerPixel() const;
    // Grows the logical screen to contain every frame; never shrinks it.
    void FixHeaderWidthHeight();
    // Sorts every colour map by use and drops unused entries.
    void OptimizeColorMaps();

    // The first frame on the logical screen; null without frames.
    const Bitmap* GetBitmap();
    std::vector<ColorRef> GetPalette();
    bool GetDoDither() const;

    void Warning(const void* sender, TGIFSeverity severity, const std::string& message) const;
    void Progress(TProgressStage stage, int percent, const char* message) const;
    // Drops the rendered bitmap and palette after a change.
    void Changed();
    void ReleasePalette() { palette_.reset(); }

    // Raises sScreenTooLarge when a screen of this size has no 24-bit
    // bitmap within kMaxBitmapBytes.
    static void CheckTrueColorScreen(int width, int height);
    // Called as a load reads the header and each frame: with
    // TrueColorScreen, refuses the screen grown to reach `right` x `bottom`.
    void ScreenRead(int right, int bottom) const;

    // Pixel bytes held by all frames; bounded by MaxPixelBytes.
    void ReservePixels(std::size_t bytes);
    void ReleasePixels(std::size_t bytes) { pixelBytes_ -= bytes; }

private:
    std::unique_ptr<Bitmap> bitmap_;
    std::optional<std::vector<ColorRef>> palette_;
    bool computingPalette_ = false;
    std::size_t pixelBytes_ = 0;
};

template <class Owner>
void TGIFOwnedColorMap<Owner>::Warning(TGIFSeverity severity, const std::string& message)
{
    owner_.Warning(severity, message);
}

}  // namespace tessolo
