#include "support/reference_decoders.h"

#include <gtest/gtest.h>
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
    if (count > memory->file->size() - memory->position)
        png_error(png, "read past the end");
    std::memcpy(out, memory->file->data() + memory->position, count);
    memory->position += count;
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
        png_destroy_read_struct(&png, &info, nullptr);
        result = Rgba();
        result.error = "libpng could not read the file";
        ADD_FAILURE() << result.error;
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

GiflibStream::GiflibStream(const Bytes& file) : file_(file)
{
    int code = 0;
    gif_ = DGifOpen(this, &GiflibStream::Read, &code);
    if (!gif_) {
        error_ = GifErrorString(code);
        return;
    }
    if (DGifSlurp(gif_) != GIF_OK || gif_->ImageCount < 1) {
        error_ = gif_->ImageCount < 1 ? "no frame" : GifErrorString(gif_->Error);
        DGifCloseFile(gif_, &code);
        gif_ = nullptr;
    }
}

GiflibStream::~GiflibStream()
{
    int code = 0;
    if (gif_)
        DGifCloseFile(gif_, &code);
}

int GiflibStream::Read(GifFileType* gif, GifByteType* out, int count)
{
    auto* stream = static_cast<GiflibStream*>(gif->UserData);
    std::size_t n = std::min(std::size_t(count), stream->file_.size() - stream->position_);
    std::memcpy(out, stream->file_.data() + stream->position_, n);
    stream->position_ += n;
    return int(n);
}

}  // namespace tessolo::test
