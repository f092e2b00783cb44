// WebP and AVIF sheets and the image-set() that offers them, in a real
// browser: a page that uses the stylesheet shows every image from the type
// the browser picks, best first. The file the browser should pick is
// checked by replacing a file it should not pick by one of a single
// colour, and the reverse. Skips when no browser is installed.
#include "browser_build.h"
#include "codecs/bmp/bmp_codec.h"
#include "headless_browser.h"
#include "platform/files.h"
#include "sprite/image_formats.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessolo {
namespace {

constexpr ColorRef kMarker = MakeColor(255, 0, 255);

struct TypesCase {
    const char* label;
    OutputType type;
    std::int32_t also;        // bits 1 << OutputType
    int quality;              // of the WebP or AVIF sheet
    const char* markerFile;   // replaced by a sheet of kMarker
    bool showsMarker;         // the browser picks the marker file
    int screenScale;          // 2 builds from double-size sources, with the @2x sheets
};
void PrintTo(const TypesCase& c, std::ostream* out) { *out << c.label; }

const TypesCase kCases[] = {
    {"LosslessWebp", kOutputWebp, 0, 0, nullptr, false, 1},
    {"ExactAvif", kOutputAvif, 0, 100, nullptr, false, 1},
    {"ImageSetPicksAvif", kOutputPng, 1 << kOutputWebp | 1 << kOutputAvif, 80, "sprite.avif", true, 1},
    {"ImageSetPicksWebpOverPng", kOutputPng, 1 << kOutputWebp, 0, "sprite.png", false, 1},
    {"HighDensityImageSetPicksAvif", kOutputPng, 1 << kOutputAvif, 80, "sprite@2x.avif", true, 2},
};

class SheetTypesInBrowser : public ::testing::TestWithParam<TypesCase> {};

TEST_P(SheetTypesInBrowser, ShowEveryImageFromTheTypeThePagePicks)
{
    const std::string program = test::HeadlessBrowser::Find();
    if (program.empty())
        GTEST_SKIP() << "no headless browser: install chromium (make test does) or set TESSOLO_BROWSER";
    const TypesCase& c = GetParam();
    const bool retina = c.screenScale == 2;
    const std::vector<std::string> names = {"a", "b", "c"};
    std::vector<Bitmap> images;
    test::TempDir dir;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < names.size(); ++i) {
        images.push_back(test::Pattern(8 * c.screenScale, (6 + 2 * int(i)) * c.screenScale, int(i) + 1));
        files.push_back(names[i] + (retina ? "@2x.bmp" : ".bmp"));
        WriteFileReplacing(dir / files.back(), EncodeBmp(images.back(), 6));
    }
    BuildInputs inputs = test::PngBuildIn(dir, files, kPositionAndSize);
    inputs.OutputFileType = c.type;
    BuildSettings settings = test::GridSettings(4, 4);
    settings.BaseRule = true;
    settings.Retina = retina;
    settings.SheetBackground = kBackgroundTransparent;
    settings.AlsoFormats = c.also;
    settings.Encoding.webp.quality = c.quality;
    settings.Encoding.avif.quality = c.quality;
    ASSERT_EQ(test::BuildError(inputs, settings), "");
    if (c.markerFile) {
        const std::string path = dir / c.markerFile;
        const OutputType type = path.ends_with(".avif") ? kOutputAvif : kOutputPng;
        const Bitmap sheet = FormatForExtension(path.substr(path.rfind('.')))->loadSource(path);
        Bitmap marker(sheet.Width(), sheet.Height());
        for (int y = 0; y < marker.Height(); ++y)
            for (int x = 0; x < marker.Width(); ++x)
                marker.SetPixel(x, y, kMarker);
        WriteFileReplacing(path, FormatForOutput(type).encodeSheet(marker, settings.Encoding));
    }

    std::vector<std::string> classes;
    for (const std::string& name : names)
        classes.push_back("sprite sprite-" + name);
    const test::Rgba shot = test::ProbeShot(program, dir, classes, c.screenScale);
    for (std::size_t i = 0; i < images.size(); ++i)
        for (int y = 0; y < images[i].Height(); ++y)
            for (int x = 0; x < images[i].Width(); ++x) {
                const std::uint8_t* p = shot.At(4 * c.screenScale + x, (4 + 20 * int(i)) * c.screenScale + y);
                const ColorRef shown = MakeColor(p[0], p[1], p[2]);
                if (c.showsMarker) {
                    ASSERT_LE(std::abs(p[0] - 255) + p[1] + std::abs(p[2] - 255), 12)
                        << names[i] << " at " << x << "," << y << ": not from " << c.markerFile;
                } else {
                    ASSERT_EQ(shown, images[i].Pixel(x, y)) << names[i] << " at " << x << "," << y;
                }
            }
}

INSTANTIATE_TEST_SUITE_P(Types, SheetTypesInBrowser, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessolo
