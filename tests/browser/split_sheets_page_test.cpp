// Split sheets in a real browser: a page that uses only the images' own
// classes shows every image pixel for pixel from its numbered sheet, with
// the base rule of each sheet and with the sheet named in each rule. Skips
// when no browser is installed.
#include "browser_build.h"
#include "codecs/bmp/bmp_codec.h"
#include "headless_browser.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessolo {
namespace {

class SplitSheetsInBrowser : public ::testing::TestWithParam<bool> {};

TEST_P(SplitSheetsInBrowser, EachImageShowsFromItsSheet)
{
    const std::string program = test::HeadlessBrowser::Find();
    if (program.empty())
        GTEST_SKIP() << "no headless browser: install chromium (make test does) or set TESSOLO_BROWSER";
    struct Image {
        std::string name;
        Bitmap pixels;
    };
    const std::vector<Image> images = {{"a", test::Pattern(8, 8, 1)},
                                       {"b", test::Pattern(12, 8, 2)},
                                       {"c", test::Pattern(8, 12, 3)},
                                       {"d", test::Pattern(16, 4, 4)}};
    test::TempDir dir;
    std::vector<std::string> files;
    for (const Image& image : images) {
        files.push_back(image.name + ".bmp");
        WriteFileReplacing(dir / files.back(), EncodeBmp(image.pixels, 6));
    }
    BuildSettings settings = test::GridSettings(4, 4);
    settings.BaseRule = GetParam();
    settings.MaxSize = {20, 20};
    ASSERT_EQ(test::BuildError(test::PngBuildIn(dir, files, kPositionAndSize), settings), "");
    ASSERT_TRUE(std::filesystem::exists(dir / "sprite-2.png"));

    std::vector<std::string> classes;
    for (const Image& image : images)
        classes.push_back("sprite-" + image.name);
    const test::Rgba shot = test::ProbeShot(program, dir, classes);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Bitmap& pixels = images[i].pixels;
        for (int y = 0; y < pixels.Height(); ++y)
            for (int x = 0; x < pixels.Width(); ++x) {
                const std::uint8_t* p = shot.At(4 + x, 4 + 20 * int(i) + y);
                ASSERT_EQ(MakeColor(p[0], p[1], p[2]), pixels.Pixel(x, y))
                    << images[i].name << " at " << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(BaseRule, SplitSheetsInBrowser, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "PerSheet" : "InEachRule"; });

}  // namespace
}  // namespace tessolo
