// JPEG encode and decode of a large sheet (4096 x 2048), baseline and
// progressive, at the first-run quality of 100.
#include "codecs/jpeg/jpeg_image.h"

#include <benchmark/benchmark.h>

namespace {

using tessolo::Bitmap;
using tessolo::TJPEGImage;

const Bitmap& LargeSheet()
{
    static const Bitmap sheet = [] {
        Bitmap bitmap(4096, 2048);
        for (int y = 0; y < bitmap.Height(); ++y) {
            std::uint8_t* row = bitmap.ScanLine(y);
            for (int x = 0; x < bitmap.Width(); ++x, row += 3) {
                // Gradients with a grid of 64-pixel tiles, like placed images.
                int tile = ((x >> 6) * 37 + (y >> 6) * 91) & 0xFF;
                row[0] = std::uint8_t(tile ^ (x & 0xFF));
                row[1] = std::uint8_t((y >> 3) + tile);
                row[2] = std::uint8_t(x >> 4);
            }
        }
        return bitmap;
    }();
    return sheet;
}

TJPEGImage Writer(bool progressive)
{
    TJPEGImage image;
    image.Quality = 100;
    image.Progressive = progressive;
    return image;
}

void SetPixelCounters(benchmark::State& state)
{
    const Bitmap& sheet = LargeSheet();
    state.SetItemsProcessed(state.iterations() * sheet.Width() * sheet.Height());
}

void BM_JpegEncode(benchmark::State& state)
{
    const Bitmap& sheet = LargeSheet();
    TJPEGImage image = Writer(state.range(0) != 0);
    for (auto _ : state) {
        tessolo::Bytes jpeg = image.Compress(sheet);
        benchmark::DoNotOptimize(jpeg.data());
    }
    SetPixelCounters(state);
}
BENCHMARK(BM_JpegEncode)->ArgName("progressive")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_JpegDecode(benchmark::State& state)
{
    TJPEGImage image;
    image.LoadFromBytes(Writer(state.range(0) != 0).Compress(LargeSheet()));
    for (auto _ : state) {
        Bitmap bitmap = image.Decode();
        benchmark::DoNotOptimize(bitmap.ScanLine(0));
    }
    SetPixelCounters(state);
}
BENCHMARK(BM_JpegDecode)->ArgName("progressive")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
