// GIF decoding and encoding, ours beside giflib on the same data.
#include "codecs/gif/GIFImage.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstring>
#include <random>

namespace {

using namespace tessolo;

constexpr int kSide = 2048;

// A sheet-like raster of web-palette indices: flat areas, gradients and
// noisy tiles, as sprite sheets mix them.
const std::vector<std::uint8_t>& SheetIndices()
{
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p(std::size_t(kSide) * kSide);
        std::mt19937 random(7);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                int tile = (x / 128) + (y / 128) * 16;
                std::uint8_t v;
                switch (tile % 4) {
                case 0: v = 215; break;
                case 1: v = std::uint8_t((x / 4 + y / 16) % 216); break;
                case 2: v = std::uint8_t(random() % 216); break;
                default: v = std::uint8_t(((x ^ y) / 8) % 24); break;
                }
                p[std::size_t(y) * kSide + std::size_t(x)] = v;
            }
        return p;
    }();
    return pixels;
}

Bytes EncodeOurs(TGIFCompression compression)
{
    TGIFImage image;
    image.Compression = compression;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, kSide, kSide);
    frame->Data() = SheetIndices();
    std::vector<ColorRef> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(MakeColor(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)));
    frame->ColorMap.ImportPalette(palette);
    image.Add(std::move(frame));
    Bytes out;
    GIFOutputStream stream(out);
    image.SaveToStream(stream);
    return out;
}

const Bytes& SheetFile()
{
    static const Bytes file = EncodeOurs(gcLZW);
    return file;
}

struct Memory {
    const Bytes* in = nullptr;
    std::size_t pos = 0;
    Bytes* out = nullptr;
};

int ReadMemory(GifFileType* file, GifByteType* target, int count)
{
    auto* m = static_cast<Memory*>(file->UserData);
    std::size_t n = std::min(std::size_t(count), m->in->size() - m->pos);
    std::memcpy(target, m->in->data() + m->pos, n);
    m->pos += n;
    return int(n);
}

int WriteMemory(GifFileType* file, const GifByteType* data, int count)
{
    auto* m = static_cast<Memory*>(file->UserData);
    m->out->insert(m->out->end(), data, data + count);
    return count;
}

void BM_DecodeOurs(benchmark::State& state)
{
    const Bytes& file = SheetFile();
    for (auto _ : state) {
        TGIFImage image;
        GIFInputStream stream(file);
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Images[0].Data().data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

void BM_DecodeGiflib(benchmark::State& state)
{
    const Bytes& file = SheetFile();
    for (auto _ : state) {
        Memory m{&file};
        int error = 0;
        GifFileType* gif = DGifOpen(&m, ReadMemory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK)
            state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

void BM_EncodeOursLZW(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeOurs(gcLZW));
    state.SetBytesProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

void BM_EncodeOursRLE(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeOurs(gcRLE));
    state.SetBytesProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

void BM_EncodeGiflib(benchmark::State& state)
{
    std::vector<std::uint8_t> pixels = SheetIndices();
    GifColorType colors[256] = {};
    for (int i = 0; i < 256; ++i)
        colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    for (auto _ : state) {
        Bytes out;
        Memory m{nullptr, 0, &out};
        int error = 0;
        GifFileType* gif = EGifOpen(&m, WriteMemory, &error);
        ColorMapObject* map = GifMakeMapObject(256, colors);
        EGifPutScreenDesc(gif, kSide, kSide, 8, 0, nullptr);
        EGifPutImageDesc(gif, 0, 0, kSide, kSide, false, map);
        for (int y = 0; y < kSide; ++y)
            EGifPutLine(gif, pixels.data() + std::size_t(y) * kSide, kSide);
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

}  // namespace

BENCHMARK(BM_DecodeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOursLZW)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOursRLE)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGiflib)->Unit(benchmark::kMillisecond);
