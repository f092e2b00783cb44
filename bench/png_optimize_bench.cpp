// The optimised PNG encoder against the default one on the sheets of three
// icon sets: 200 icons of 256 x 256 in a horizontal strip and in a grid, and
// 1 000 small icons in a grid. The icons are the 32 x 32 pictures of the PNG
// conformance suite (rendered over white), taken in name order and repeated
// as needed; the large ones are those pictures scaled up 8 times with
// bilinear filtering, so they have the soft edges of drawn icons. They are
// written as 24-bit BMP files, so decoding costs little and the same for
// both encoders. BM_BuildSheet times the whole build with a PNG sheet;
// BM_EncodeSheet the encoder alone. The counter sheet_KB is the file size.
#include "codecs/bmp/bmp_codec.h"
#include "codecs/png/png_codec.h"
#include "icon_folder_inputs.h"
#include "platform/error.h"
#include "platform/files.h"
#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"
#include "support/testdata.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

using namespace tessolo;
namespace fs = std::filesystem;

constexpr int kSmallSide = 32;
constexpr int kScale = 8;

struct IconSet {
    const char* name;
    int count;
    bool large;
    Orientation layout;
};
constexpr IconSet kSets[] = {
    {"200 x 256 strip", 200, true, kHorizontal},
    {"200 x 256 grid", 200, true, kGrid},
    {"1000 x 32 grid", 1000, false, kGrid},
};

struct Keep : BuildObserver {
    void ValidationFailed(const std::string& m) override { throw Error(m); }
    void CannotOpen(const std::string& m) override { throw Error(m); }
    void ErrorReport(const std::string& m) override { throw Error(m); }
    void SheetFinished(const Bitmap& finished) override { sheet = finished; }
    Bitmap sheet;
};

// The 32 x 32 pictures of the suite, over white; empty without the suite.
std::vector<Bitmap> SmallIcons()
{
    std::vector<Bitmap> icons;
    fs::path suite = test::TestDataDir() / "pngsuite" / "png";
    if (test::TestDataDir().empty() || !fs::is_directory(suite))
        return icons;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(suite))
        if (entry.path().extension() == ".png" && entry.path().filename().string()[0] != 'x')
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        try {
            Bitmap icon = LoadPngSource(file.string());
            if (icon.Width() == kSmallSide && icon.Height() == kSmallSide)
                icons.push_back(std::move(icon));
        } catch (const std::exception&) {
            // Pictures our decoder refuses are not icons for this purpose.
        }
    }
    return icons;
}

std::uint8_t Channel(ColorRef c, int shift) { return std::uint8_t(c >> shift); }

// Bilinear enlargement by kScale, sampling at pixel centres, edges clamped.
Bitmap Enlarge(const Bitmap& small)
{
    const int side = kSmallSide * kScale;
    Bitmap large(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            double sx = std::clamp((x + 0.5) / kScale - 0.5, 0.0, kSmallSide - 1.0);
            double sy = std::clamp((y + 0.5) / kScale - 0.5, 0.0, kSmallSide - 1.0);
            int x0 = int(sx), y0 = int(sy);
            int x1 = std::min(x0 + 1, kSmallSide - 1), y1 = std::min(y0 + 1, kSmallSide - 1);
            double fx = sx - x0, fy = sy - y0;
            std::uint8_t rgb[3];
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int sx0, int sy0) { return double(Channel(small.Pixel(sx0, sy0), 8 * c)); };
                double top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
                double bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
                rgb[c] = std::uint8_t(top * (1 - fy) + bottom * fy + 0.5);
            }
            large.SetPixel(x, y, MakeColor(rgb[0], rgb[1], rgb[2]));
        }
    return large;
}

// The folder of a set, written once; nullptr without the suite.
const BuildInputs* SetFolder(const IconSet& set)
{
    static std::map<const IconSet*, BuildInputs> folders;
    if (auto found = folders.find(&set); found != folders.end())
        return &found->second;
    static const std::vector<Bitmap> small = SmallIcons();
    if (small.empty())
        return nullptr;
    fs::path folder = fs::temp_directory_path() / ("tessolo-pngopt-" + std::to_string(set.count) +
                                                  (set.large ? "-large" : "-small"));
    fs::create_directories(folder);
    BuildInputs inputs = bench::IconFolderInputs(folder.string(), kOutputPng);
    std::vector<Bitmap> large;
    if (set.large)
        for (const Bitmap& icon : small)
            large.push_back(Enlarge(icon));
    const std::vector<Bitmap>& icons = set.large ? large : small;
    for (int i = 0; i < set.count; ++i) {
        std::string name = "icon" + std::to_string(1000 + i) + ".bmp";
        const Bitmap& icon = icons[std::size_t(i) % icons.size()];
        WriteFileReplacing(inputs.Folder + "/" + name, EncodeBmp(icon, kBmp24Bits));
        inputs.GraphicFiles.push_back(name);
    }
    return &folders.emplace(&set, std::move(inputs)).first->second;
}

// Calls measure(inputs, settings, keep) with the folder of the benchmark's
// set and the settings of its layout and "optimize" argument, the run
// labelled by the set; marks the run skipped instead when the icons it is
// made from cannot be found.
template <class Measure>
void OverSet(benchmark::State& state, Measure&& measure)
{
    const IconSet& set = kSets[state.range(0)];
    state.SetLabel(set.name);
    const BuildInputs* inputs = SetFolder(set);
    if (inputs == nullptr) {
        state.SkipWithError("the PNG conformance suite was not found (set TESSOLO_TESTDATA)");
        return;
    }
    BuildSettings settings;
    settings.Orientation = set.layout;
    settings.Encoding.png.optimize = state.range(1) != 0;
    Keep keep;
    measure(*inputs, settings, keep);
}

void BM_BuildSheet(benchmark::State& state)
{
    OverSet(state, [&](const BuildInputs& inputs, const BuildSettings& settings, Keep& keep) {
        for (auto _ : state) {
            SpriteBuilder builder;
            builder.MakeSprites(inputs, settings, keep);
        }
        state.counters["sheet_KB"] = double(fs::file_size(fs::path(inputs.Folder) / "sheet.png")) / 1000;
    });
}

void BM_EncodeSheet(benchmark::State& state)
{
    OverSet(state, [&](const BuildInputs& inputs, const BuildSettings& settings, Keep& keep) {
        SpriteBuilder().MakeSprites(inputs, settings, keep);
        std::size_t bytes = 0;
        for (auto _ : state)
            bytes = EncodePngSheet(keep.sheet, settings.Encoding.png).size();
        state.counters["sheet_KB"] = double(bytes) / 1000;
    });
}

BENCHMARK(BM_BuildSheet)
    ->ArgNames({"set", "optimize"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EncodeSheet)
    ->ArgNames({"set", "optimize"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
