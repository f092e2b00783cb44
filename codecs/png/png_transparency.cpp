#include "codecs/png/pngimage.h"

#include <algorithm>

namespace tessolo {

TPNGTransparencyMode TPNGObject::GetTransparencyMode() const
{
    const TChunkIHDR& header = Header();
    const TChunktRNS* trns = Chunks.FindChunk<TChunktRNS>();
    switch (header.IHDRData.ColorType) {
    case kColorGrayscale:
    case kColorRGB: return trns ? TPNGTransparencyMode::ptmBit : TPNGTransparencyMode::ptmNone;
    case kColorPalette:
        if (!trns)
            return TPNGTransparencyMode::ptmNone;
        return trns->BitTransparency ? TPNGTransparencyMode::ptmBit : TPNGTransparencyMode::ptmPartial;
    default: return TPNGTransparencyMode::ptmPartial;
    }
}

ColorRef TPNGObject::GetTransparentColor() const
{
    const TChunktRNS* trns = Chunks.FindChunk<TChunktRNS>();
    return trns ? trns->GetTransparentColor() : kBlack;
}

void TPNGObject::SetTransparentColor(ColorRef color)
{
    const TChunkIHDR& header = Header();
    int type = header.IHDRData.ColorType;
    if (type == kColorGrayscaleAlpha || type == kColorRGBAlpha)
        throw EPNGCannotChangeTransparent();
    TChunktRNS* trns = Chunks.FindChunk<TChunktRNS>();
    if (type == kColorPalette) {
        // A colour no palette entry has cannot be made transparent; leaving
        // a tRNS chunk without a clear entry would hide black instead.
        auto used = header.ColorTable.begin() + header.ColorTableUsed;
        if (std::find(header.ColorTable.begin(), used, color) == used) {
            if (trns)
                Chunks.RemoveChunk(trns);
            return;
        }
    }
    if (!trns)
        trns = &Chunks.Add<TChunktRNS>();
    trns->SetTransparentColor(color);
}

void TPNGObject::RemoveTransparency()
{
    TChunkIHDR& header = Header();
    if (TChunktRNS* trns = Chunks.FindChunk<TChunktRNS>())
        Chunks.RemoveChunk(trns);
    header.SetAlphaPlane(false);
}

void TPNGObject::CreateAlpha()
{
    TChunkIHDR& header = Header();
    TChunktRNS* trns = Chunks.FindChunk<TChunktRNS>();
    int type = header.IHDRData.ColorType;
    if (type == kColorGrayscale || type == kColorRGB) {
        // The transparent colour becomes alpha 0: the alpha types cannot
        // carry a tRNS chunk.
        ColorRef clear = GetTransparentColor();
        header.SetAlphaPlane(true);
        if (trns) {
            for (int y = 0; y < header.Height(); ++y) {
                std::uint8_t* alpha = header.AlphaScanline(y);
                for (int x = 0; x < header.Width(); ++x)
                    if (GetPixels(x, y) == clear)
                        alpha[x] = 0;
            }
            Chunks.RemoveChunk(trns);
        }
    } else if (type == kColorPalette) {
        if (!trns) {
            trns = &Chunks.Add<TChunktRNS>();
            trns->ResizeData(0);
        }
        std::fill(trns->PaletteValues.begin() + trns->DataSize(), trns->PaletteValues.end(), 255);
        trns->ResizeData(1u << header.BitsPerPixel());
        trns->BitTransparency = false;
    }
}

}  // namespace tessolo
