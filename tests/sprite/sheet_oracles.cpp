#include "sheet_oracles.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

namespace tessolo::test {

namespace {

struct PngMemory {
    const Bytes* file;
    std::size_t position;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* memory = static_cast<PngMemory*>(png_get_io_ptr(png));
    if (memory->position + count > memory->file->size())
        png_error(png, "read past the end");
    std::memcpy(out, memory->file->data() + memory->position, count);
    memory->position += count;
}

struct GifMemory {
    const Bytes* file;
    std::size_t position;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int count)
{
    auto* memory = static_cast<GifMemory*>(gif->UserData);
    std::size_t n = std::min(std::size_t(count), memory->file->size() - memory->position);
    std::memcpy(out, memory->file->data() + memory->position, n);
    memory->position += n;
    return int(n);
}

// Opens and reads a whole GIF; nullptr (with `error` set) when giflib fails.
GifFileType* SlurpGif(GifMemory& memory, std::string& error)
{
    int code = 0;
    GifFileType* gif = DGifOpen(&memory, ReadGifBytes, &code);
    if (!gif) {
        error = GifErrorString(code);
        return nullptr;
    }
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        error = gif->ImageCount < 1 ? "no frame" : GifErrorString(gif->Error);
        DGifCloseFile(gif, &code);
        return nullptr;
    }
    return gif;
}

int TransparentIndexOf(GifFileType* gif)
{
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, 0, &control) != GIF_OK)
        return -1;
    return control.TransparentColor;
}

}  // namespace

Rgba ReadPng(const Bytes& file)
{
    Rgba result;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngMemory memory{&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        result.error = "libpng could not read the file";
        png_destroy_read_struct(&png, &info, nullptr);
        return result;
    }
    png_set_read_fn(png, &memory, ReadPngBytes);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_expand(png);  // palettes, low depths and tRNS to full samples with alpha
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    result.width = int(png_get_image_width(png, info));
    result.height = int(png_get_image_height(png, info));
    result.pixels.resize(std::size_t(result.width) * std::size_t(result.height) * 4);
    for (int y = 0; y < result.height; ++y)
        rows.push_back(result.pixels.data() + std::size_t(y) * std::size_t(result.width) * 4);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

Rgba ReadGif(const Bytes& file)
{
    Rgba result;
    GifMemory memory{&file, 0};
    GifFileType* gif = SlurpGif(memory, result.error);
    if (!gif)
        return result;
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
    int code = 0;
    DGifCloseFile(gif, &code);
    return result;
}

int GifTransparentIndex(const Bytes& file)
{
    GifMemory memory{&file, 0};
    std::string error;
    GifFileType* gif = SlurpGif(memory, error);
    if (!gif)
        return -1;
    int index = TransparentIndexOf(gif);
    int code = 0;
    DGifCloseFile(gif, &code);
    return index;
}

}  // namespace tessolo::test
