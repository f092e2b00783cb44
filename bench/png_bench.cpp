// PNG decoding and encoding: our codec against the system's libpng on the
// same files, at the same zlib level and with the same row filter (Sub).
#include "codecs/png/pngimage.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <random>

namespace {

using namespace tessolo;

constexpr int kLevel = 6;

// A photo-like picture: smooth gradients with mild noise, and for the alpha
// variant a soft-edged alpha ramp.
Bitmap Picture(int w, int h)
{
    Bitmap b(w, h);
    std::mt19937 random(1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int n = int(random() % 7);
            b.SetPixel(x, y, MakeColor(std::uint8_t((x / 8 + n) & 255), std::uint8_t((y / 8 + n) & 255),
                                       std::uint8_t(((x + y) / 16 + n) & 255)));
        }
    return b;
}

// A sheet of 1000 different 16 x 16 icons in rows of 32, padded by 5 pixels.
Bitmap IconSheet()
{
    const int cell = 21, columns = 32, rows = (1000 + columns - 1) / columns;
    Bitmap sheet(columns * cell, rows * cell);
    for (int i = 0; i < 1000; ++i) {
        int ox = (i % columns) * cell, oy = (i / columns) * cell;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                bool ring = (x - 8) * (x - 8) + (y - 8) * (y - 8) < 40 + i % 20;
                sheet.SetPixel(ox + x, oy + y, ring ? MakeColor(std::uint8_t(i * 37), std::uint8_t(i * 11), 200)
                                                    : MakeColor(240, 240, std::uint8_t(i)));
            }
    }
    return sheet;
}

// Our encoder's file for a bitmap; for alpha an RGBA image is built first.
Bytes OurFile(const Bitmap& bitmap, bool alpha)
{
    TPNGObject png;
    png.Assign(bitmap);
    if (alpha) {
        png.CreateAlpha();
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                png.GetAlphaScanline(y)[x] = std::uint8_t((x + y) & 255);
    }
    png.CompressionLevel = kLevel;
    Bytes file;
    png.SaveToStream(file);
    return file;
}

struct Sample {
    Bitmap bitmap;
    bool alpha;
    Bytes file;
};

const Sample& GetSample(int which)
{
    static const Sample samples[3] = {
        [] { Sample s{Picture(2048, 2048), false, {}}; s.file = OurFile(s.bitmap, false); return s; }(),
        [] { Sample s{Picture(2048, 2048), true, {}}; s.file = OurFile(s.bitmap, true); return s; }(),
        [] { Sample s{IconSheet(), false, {}}; s.file = OurFile(s.bitmap, false); return s; }(),
    };
    return samples[which];
}

const char* const kNames[] = {"rgb_2048", "rgba_2048", "icons_1000"};

// The benchmark's sample, with the run labelled by its name.
const Sample& LabelledSample(benchmark::State& state)
{
    state.SetLabel(kNames[state.range(0)]);
    return GetSample(int(state.range(0)));
}

struct MemoryInput {
    const Bytes* file;
    std::size_t position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t size)
{
    auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (in->position + size > in->file->size())
        png_error(png, "read past end");
    std::memcpy(out, in->file->data() + in->position, size);
    in->position += size;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void FlushNothing(png_structp) {}

// Decodes to the file's own sample layout, rows into one buffer.
void ReferenceDecode(const Bytes& file, std::vector<std::uint8_t>& pixels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    MemoryInput input{&file, 0};
    png_set_read_fn(png, &input, ReadFromMemory);
    png_read_info(png, info);
    std::size_t rowBytes = png_get_rowbytes(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

// Encodes with one Sub-filtered row per image row, like our default.
Bytes ReferenceEncode(const Sample& sample, const std::vector<std::uint8_t>& rgba)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, WriteToMemory, FlushNothing);
    int w = sample.bitmap.Width(), h = sample.bitmap.Height();
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, sample.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kLevel);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    if (sample.alpha) {
        for (int y = 0; y < h; ++y)
            png_write_row(png, rgba.data() + std::size_t(y) * std::size_t(w) * 4);
    } else {
        png_set_bgr(png);
        for (int y = 0; y < h; ++y)
            png_write_row(png, const_cast<png_bytep>(sample.bitmap.ScanLine(y)));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void DecodeOurs(benchmark::State& state)
{
    const Sample& sample = LabelledSample(state);
    for (auto _ : state) {
        TPNGObject png;
        png.LoadFromStream(sample.file);
        benchmark::DoNotOptimize(png.GetScanline(0));
    }
}

void DecodeOursToBitmap(benchmark::State& state)
{
    const Sample& sample = LabelledSample(state);
    for (auto _ : state) {
        TPNGObject png;
        png.LoadFromStream(sample.file);
        Bitmap picture(png.GetWidth(), png.GetHeight());
        png.Draw(picture, {0, 0, png.GetWidth(), png.GetHeight()});
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
}

void DecodeReference(benchmark::State& state)
{
    const Sample& sample = LabelledSample(state);
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        ReferenceDecode(sample.file, pixels);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void EncodeOurs(benchmark::State& state)
{
    const Sample& sample = LabelledSample(state);
    TPNGObject source;
    source.LoadFromStream(sample.file);
    std::size_t size = 0;
    for (auto _ : state) {
        TPNGObject png;
        if (sample.alpha)
            png.Assign(source);
        else
            png.Assign(sample.bitmap);
        png.CompressionLevel = kLevel;
        Bytes file;
        png.SaveToStream(file);
        size = file.size();
    }
    state.counters["bytes"] = double(size);
}

void EncodeReference(benchmark::State& state)
{
    const Sample& sample = LabelledSample(state);
    std::vector<std::uint8_t> rgba;
    if (sample.alpha) {
        TPNGObject source;
        source.LoadFromStream(sample.file);
        int w = source.GetWidth(), h = source.GetHeight();
        rgba.resize(std::size_t(w) * std::size_t(h) * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                ColorRef c = source.GetPixels(x, y);
                std::uint8_t* p = &rgba[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * 4];
                p[0] = RedOf(c);
                p[1] = GreenOf(c);
                p[2] = BlueOf(c);
                p[3] = source.GetAlphaScanline(y)[x];
            }
    }
    std::size_t size = 0;
    for (auto _ : state)
        size = ReferenceEncode(sample, rgba).size();
    state.counters["bytes"] = double(size);
}

BENCHMARK(DecodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeOursToBitmap)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeOurs)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeReference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
