// Packs folders of generated 16 x 16 BMP icons through the whole build
// (decode, place, stylesheet, sheet encode) and reports the time per image.
#include "codecs/bmp/bmp_codec.h"
#include "icon_folder_inputs.h"
#include "platform/error.h"
#include "platform/files.h"
#include "settings/data_formats.h"
#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

namespace {

using namespace tessolo;

struct Quiet : BuildObserver {
    void ValidationFailed(const std::string& m) override { throw Error(m); }
    void CannotOpen(const std::string& m) override { throw Error(m); }
    void ErrorReport(const std::string& m) override { throw Error(m); }
};

// A folder of `count` distinct icons, made once per count.
const BuildInputs& IconFolder(int count)
{
    static std::map<int, BuildInputs> folders;
    auto found = folders.find(count);
    if (found != folders.end())
        return found->second;

    auto folder = std::filesystem::temp_directory_path() / ("tessolo-bench-" + std::to_string(count));
    std::filesystem::create_directories(folder);
    BuildInputs inputs = bench::IconFolderInputs(folder.string(), kOutputBmp);
    for (int i = 0; i < count; ++i) {
        Bitmap icon(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                icon.SetPixel(x, y, MakeColor(std::uint8_t(i * 7 + x), std::uint8_t(i >> 3), std::uint8_t(y * 16)));
        std::string name = "icon" + std::to_string(i) + ".bmp";
        WriteFileReplacing(inputs.Folder + "/" + name, EncodeBmp(icon, 6));
        inputs.GraphicFiles.push_back(name);
    }
    return folders.emplace(count, std::move(inputs)).first->second;
}

void BM_PackIcons(benchmark::State& state)
{
    const BuildInputs& inputs = IconFolder(int(state.range(0)));
    BuildSettings settings;
    settings.Orientation = Orientation(state.range(1));
    settings.Encoding.bmp.pixelFormat = kBmp24Bits;
    Quiet quiet;
    for (auto _ : state) {
        SpriteBuilder builder;
        builder.MakeSprites(inputs, settings, quiet);
    }
    state.counters["per_image"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_PackIcons)
    ->ArgNames({"images", "orientation"})
    ->ArgsProduct({{1000, 4000, 16000}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A grid of 1 000 icons without and with every output for web pages: the
// base rule, the SCSS, LESS and JSON files and the preview page.
void BM_PackIconsWebOutputs(benchmark::State& state)
{
    const BuildInputs& inputs = IconFolder(int(state.range(0)));
    const bool web = state.range(1) != 0;
    BuildSettings settings;
    settings.Orientation = kGrid;
    settings.Encoding.bmp.pixelFormat = kBmp24Bits;
    settings.BaseRule = web;
    settings.DataFormats = web ? kDataScss | kDataLess | kDataJson : 0;
    settings.HtmlPreview = web;
    Quiet quiet;
    for (auto _ : state) {
        SpriteBuilder builder;
        builder.MakeSprites(inputs, settings, quiet);
    }
}

BENCHMARK(BM_PackIconsWebOutputs)
    ->ArgNames({"images", "web"})
    ->ArgsProduct({{1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
