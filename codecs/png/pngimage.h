// TPNGObject: one PNG image as an ordered list of chunks, with its decoded
// image in the header chunk. Reads and writes whole files, converts to and
// from our Bitmap, and draws itself with its transparency.
#pragma once

#include "codecs/png/png_ancillary.h"
#include "codecs/png/png_errors.h"
#include "codecs/png/png_gamma.h"
#include "codecs/png/png_idat.h"
#include "codecs/png/png_ihdr.h"
#include "codecs/png/png_types.h"
#include "platform/bitmap.h"
#include "platform/bytes.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tessolo {

// The data bytes of each IDAT chunk but the last, unless set otherwise.
constexpr int kDefaultMaxIdatSize = 65535;

class TPNGObject {
public:
    // An empty object with the default settings.
    TPNGObject();
    // A blank zeroed image; EPNGInvalidSpec for a pair the format lacks.
    TPNGObject(int colorType, int bitDepth, int width, int height);
    TPNGObject(const TPNGObject&) = delete;
    TPNGObject& operator=(const TPNGObject&) = delete;

    // Reads a whole file image. On failure the chunks read so far stay,
    // unless the header itself failed: the object is then left empty.
    void LoadFromStream(std::span<const std::uint8_t> file);
    // Appends the signature and every chunk, in list order.
    void SaveToStream(Bytes& stream);
    void LoadFromFile(const std::string& path);

    // Destroys every chunk and resets both gamma tables.
    void ClearChunks();
    bool HeaderPresent() const;
    // The header chunk; EPNGHeaderNotPresent when there is none.
    TChunkIHDR& Header();
    const TChunkIHDR& Header() const;
    int GetWidth() const;
    int GetHeight() const;
    bool GetEmpty() const { return Chunks.Count() == 0; }

    int MaxIdatSize() const { return maxIdatSize_; }
    // Stores `size` when it is at least kDefaultMaxIdatSize, otherwise that.
    void SetMaxIdatSize(int size);

    TChunktEXt& AddtEXt(const std::string& keyword, const std::string& text);
    TChunkzTXt& AddzTXt(const std::string& keyword, const std::string& text);
    bool HasPixelInformation() const;
    // The pHYs chunk, added with unit utMeter when absent.
    TChunkpHYs& GetPixelInformation();

    // The image palette of palette-based images (empty for others).
    std::vector<ColorRef> GetPalette() const;
    void SetPalette(const std::vector<ColorRef>& palette) { DoSetPalette(palette, true); }
    void DoSetPalette(const std::vector<ColorRef>& palette, bool updateColorTable);

    std::uint8_t* GetScanline(int y) { return Header().Scanline(y); }
    const std::uint8_t* GetScanline(int y) const { return Header().Scanline(y); }
    std::uint8_t* GetAlphaScanline(int y) { return Header().AlphaScanline(y); }
    const std::uint8_t* GetAlphaScanline(int y) const { return Header().AlphaScanline(y); }
    std::uint8_t* GetExtraScanline(int y) { return Header().ExtraScanline(y); }
    const std::uint8_t* GetExtraScanline(int y) const { return Header().ExtraScanline(y); }
    // The colour of one pixel; outside the image reads 0 and writes nothing.
    ColorRef GetPixels(int x, int y) const;
    void SetPixels(int x, int y, ColorRef color);
    void Resize(int width, int height) { Header().Resize(width, height); }
    void SetWidth(int width) { Resize(width, GetHeight()); }
    void SetHeight(int height) { Resize(GetWidth(), height); }

    // Transparency.
    TPNGTransparencyMode GetTransparencyMode() const;
    bool GetTransparent() const { return GetTransparencyMode() != TPNGTransparencyMode::ptmNone; }
    ColorRef GetTransparentColor() const;
    void SetTransparentColor(ColorRef color);
    void RemoveTransparency();
    void CreateAlpha();

    // Draws the image scaled into `rect` of `canvas` by its transparency mode.
    void Draw(Bitmap& canvas, PngRect rect) const;
    // Blends the image into `rect` by per-pixel alpha.
    void DrawPartialTrans(Bitmap& canvas, PngRect rect) const;

    // The image at its own size as a 32-bit bitmap with straight alpha:
    // alpha planes, tRNS alpha and tRNS colour keys (alpha 0) are kept.
    Bitmap StraightAlphaBitmap() const;
    // Row `y` of that bitmap, blue, green, red and alpha, into `out`.
    void StraightAlphaRow(int y, std::uint8_t* out) const;
    // Row `y` as drawn onto a bitmap without transparency: blue, green, red.
    void OpaqueRow(int y, std::uint8_t* out) const;

    // A fresh bitmap holding the image over white: 24 bits for partial
    // transparency, otherwise a format that fits the header.
    void AssignTo(Bitmap& destination) const;
    void AssignTo(TPNGObject& destination) const { destination.Assign(*this); }
    // Rebuilds this image from a bitmap: colour type 3 for palette formats,
    // 6 for a bitmap with alpha, 2 for the others.
    void Assign(const Bitmap& source);
    // Copies settings and every chunk of another object.
    void Assign(const TPNGObject& source);
    void AssignHandle(const Bitmap& source, bool transparent, ColorRef transparentColor);

    // Encoder settings; they belong to the object, not to the image.
    TFilters Filters = FilterSet(pfSub);
    int CompressionLevel = 7;  // zlib level 0..9
    TInterlaceMethod InterlaceMethod = TInterlaceMethod::imNone;

    GammaTable Gamma = IdentityGamma();         // file value -> displayed value
    GammaTable InverseGamma = IdentityGamma();  // displayed value -> file value

    // Set by callers that load an image only to draw it (in 24 bits, or 32
    // for the colour types with alpha): zTXt chunks are kept as plain
    // chunks, their text never inflated, and a header whose drawing would
    // exceed kMaxBitmapBytes is refused before the image is allocated.
    bool DrawingOnly = false;

    // Set by callers that take the image a row at a time as it is decoded:
    // the header then holds one row, handed over in place once it is
    // complete, row 0 first. Draw and the bitmaps see only that row, and
    // only what precedes the image data in the file (the palette and the
    // transparency, where the format puts them). An interlaced image is held
    // whole and this is not called.
    std::function<void(int y)> RowDecoded;

    // What zTXt chunks of the file being loaded may still inflate; all of
    // them share kMaxInflatedText.
    std::size_t& TextAllowance() { return textAllowance_; }

    TPNGList Chunks{*this};
    // True only while a blank image is built; lifts the checks of Chunks.Add.
    bool BeingCreated() const { return beingCreated_; }

private:
    // Marks the object as being built for its own lifetime.
    class CreationScope {
    public:
        explicit CreationScope(TPNGObject& image) : image_(image) { image_.beingCreated_ = true; }
        ~CreationScope() { image_.beingCreated_ = false; }
        CreationScope(const CreationScope&) = delete;
        CreationScope& operator=(const CreationScope&) = delete;

    private:
        TPNGObject& image_;
    };

    bool beingCreated_ = false;
    int maxIdatSize_ = kDefaultMaxIdatSize;
    std::size_t textAllowance_ = 0;
};

// The file signature.
extern const std::uint8_t kPngSignature[8];

// Checks the first bytes `head` of a PNG file of `size` bytes as
// LoadFromStream does before it allocates the image: the signature, the
// header chunk first, and its values (CheckIHDRData). Throws the error
// LoadFromStream would; what lies beyond `head` is left to it.
void CheckPngHead(std::span<const std::uint8_t> head, std::uint64_t size, bool drawingOnly);

}  // namespace tessolo
