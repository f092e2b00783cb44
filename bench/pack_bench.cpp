// The packed layout's packer against two reference packers: sheet area on
// mixed-size sets (counters "area" in pixels and "fill", the share of the
// sheet the images cover), and the time to pack 16 000 images.
#include "platform/files.h"
#include "reference_packers.h"
#include "sprite/image_formats.h"
#include "sprite/rect_packer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>

namespace {

using namespace tessolo;
using namespace tessolo::bench;

struct Size {
    std::int32_t w, h;
};
using SizeSet = std::vector<Size>;

// Random mixes with a fixed seed, so every run packs the same sets.
SizeSet RandomSet(std::uint32_t seed, int count, int minW, int maxW, int minH, int maxH)
{
    std::mt19937 random(seed);
    SizeSet set;
    for (int i = 0; i < count; ++i) {
        int w = std::uniform_int_distribution<int>(minW, maxW)(random);
        int h = std::uniform_int_distribution<int>(minH, maxH)(random);
        set.push_back({w, h});
    }
    return set;
}

SizeSet IconSizes(std::uint32_t seed, int count)
{
    static const int kSides[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};
    std::mt19937 random(seed);
    SizeSet set;
    for (int i = 0; i < count; ++i) {
        int side = kSides[std::uniform_int_distribution<int>(0, std::size(kSides) - 1)(random)];
        set.push_back({side, side});
    }
    return set;
}

SizeSet WideAndTall(std::uint32_t seed, int count)
{
    SizeSet wide = RandomSet(seed, count / 2, 60, 400, 10, 60);
    SizeSet tall = RandomSet(seed + 1, count - count / 2, 10, 60, 60, 400);
    wide.insert(wide.end(), tall.begin(), tall.end());
    return wide;
}

// The sizes of the images found in folders of real icons and test images:
// every image that decodes, at most `limit` of them, picked evenly from the
// sorted file list.
SizeSet FoundImages(const std::vector<std::string>& roots, std::size_t limit)
{
    std::vector<std::string> paths;
    for (const std::string& root : roots) {
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
            if (it->is_regular_file() && FormatForExtension(it->path().extension().string()))
                paths.push_back(it->path().string());
    }
    std::sort(paths.begin(), paths.end());
    std::size_t step = std::max<std::size_t>(1, paths.size() / limit);
    SizeSet set;
    for (std::size_t i = 0; i < paths.size() && set.size() < limit; i += step) {
        try {
            std::string extension = std::filesystem::path(paths[i]).extension().string();
            Bitmap image = FormatForExtension(extension)->loadSource(paths[i]);
            if (!image.Empty())
                set.push_back({image.Width(), image.Height()});
        } catch (const std::exception&) {
            // Damaged test images are part of the suites; they are left out.
        }
    }
    return set;
}

const std::map<std::string, SizeSet>& Sets()
{
    static const std::map<std::string, SizeSet> sets = {
        {"1-icons", IconSizes(11, 400)},
        {"2-mixed", RandomSet(12, 400, 8, 256, 8, 256)},
        {"3-wide-and-tall", WideAndTall(13, 300)},
        {"4-photos", RandomSet(14, 150, 100, 800, 100, 600)},
        {"5-small-mixed", RandomSet(15, 60, 4, 120, 4, 120)},
        {"6-testdata", FoundImages({"/work/shared/testdata"}, 400)},
        {"7-system-icons", FoundImages({"/usr/share/icons"}, 400)},
    };
    return sets;
}

enum Packer { kOurs = 0, kBinaryTree = 1, kMaxRects = 2 };

// The trimmed sheet area of one packer on one set with both paddings `pad`.
double SheetArea(Packer packer, const SizeSet& set, int pad)
{
    if (packer == kOurs) {
        std::vector<PackItem> items;
        for (std::size_t i = 0; i < set.size(); ++i)
            items.push_back({set[i].w, set[i].h, std::to_string(i)});
        PackedSheet sheet = PackRectangles(items, pad, pad);
        return double(sheet.Width) * sheet.Height;
    }
    std::vector<RefBox> boxes;
    for (Size s : set)
        boxes.push_back({s.w + pad, s.h + pad});
    std::vector<RefSpot> spots =
        packer == kBinaryTree ? BinaryTreePacker().Pack(boxes) : MaxRectsPacker().Pack(boxes);
    std::int64_t width = 0, height = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        width = std::max(width, spots[i].x + boxes[i].w);
        height = std::max(height, spots[i].y + boxes[i].h);
    }
    return double(width - pad) * double(height - pad);
}

void BM_SheetArea(benchmark::State& state)
{
    auto set = std::next(Sets().begin(), state.range(0));
    auto packer = Packer(state.range(1));
    int pad = int(state.range(2));
    double area = 0;
    for (auto _ : state)
        area = SheetArea(packer, set->second, pad);
    double covered = 0;
    for (Size s : set->second)
        covered += double(s.w) * s.h;
    static const char* const kNames[] = {"ours", "binary-tree", "maxrects-bssf"};
    state.SetLabel(set->first + " " + kNames[packer] + " n=" + std::to_string(set->second.size()));
    state.counters["area"] = area;
    state.counters["fill"] = area > 0 ? covered / area : 0;
}

BENCHMARK(BM_SheetArea)
    ->ArgNames({"set", "packer", "pad"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {kOurs, kBinaryTree, kMaxRects}, {0, 5}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Packing alone, as the build runs it for a folder of `count` images.
void BM_Pack(benchmark::State& state)
{
    int count = int(state.range(0));
    SizeSet set = state.range(1) ? RandomSet(21, count, 8, 128, 8, 128) : SizeSet(count, {16, 16});
    std::vector<PackItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({set[i].w, set[i].h, "image" + std::to_string(i)});
    for (auto _ : state)
        benchmark::DoNotOptimize(PackRectangles(items, 5, 5));
}

BENCHMARK(BM_Pack)
    ->ArgNames({"images", "mixed"})
    ->ArgsProduct({{1000, 16000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
