#include "sheet_oracles.h"

namespace tessolo::test {

namespace {

int TransparentIndexOf(GifFileType* gif)
{
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, 0, &control) != GIF_OK)
        return -1;
    return control.TransparentColor;
}

}  // namespace

Rgba ReadGif(const Bytes& file)
{
    Rgba result;
    GiflibStream stream(file);
    GifFileType* gif = stream.File();
    if (!gif) {
        result.error = stream.Error();
        return result;
    }
    const SavedImage& frame = gif->SavedImages[0];
    const ColorMapObject* colors = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
    int clear = TransparentIndexOf(gif);
    result.width = gif->SWidth;
    result.height = gif->SHeight;
    // The screen outside the frame: transparent when the frame has a
    // transparent index, else white.
    result.pixels.assign(std::size_t(result.width) * std::size_t(result.height) * 4, 0xFF);
    for (std::size_t i = 3; clear >= 0 && i < result.pixels.size(); i += 4)
        result.pixels[i] = 0;
    const GifImageDesc& place = frame.ImageDesc;
    for (int y = 0; y < place.Height && place.Top + y < result.height; ++y)
        for (int x = 0; x < place.Width && place.Left + x < result.width; ++x) {
            int index = frame.RasterBits[std::size_t(y) * std::size_t(place.Width) + std::size_t(x)];
            std::uint8_t* out = result.At(place.Left + x, place.Top + y);
            if (index == clear || !colors || index >= colors->ColorCount)
                continue;
            const GifColorType& c = colors->Colors[index];
            out[0] = c.Red;
            out[1] = c.Green;
            out[2] = c.Blue;
            out[3] = 0xFF;
        }
    return result;
}

int GifTransparentIndex(const Bytes& file)
{
    GiflibStream stream(file);
    return stream.File() ? TransparentIndexOf(stream.File()) : -1;
}

}  // namespace tessolo::test
