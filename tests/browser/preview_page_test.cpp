// The preview page of a real build, shown by a real browser: every element
// must show exactly its source image's pixels, so a page that uses our
// stylesheet shows the right icon, also where identical images share one
// place. Runs for both line styles, with and without the base rule, and
// skips when no browser is installed.
#include "browser_build.h"
#include "codecs/bmp/bmp_codec.h"
#include "headless_browser.h"
#include "platform/files.h"
#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"
#include "support/reference_decoders.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace tessolo {
namespace {

// Names that only work with escaped selectors, and sizes that differ.
const std::vector<std::string> kNames = {"home", "logo.small", "my icon", "50%", "a:b",
                                         "#1",   "it's",       "1st",     "\xC3\xA9t\xC3\xA9",
                                         "x&y"};

using test::Attribute;
using test::BuildError;
using test::GridSettings;
using test::Pattern;
using test::PngBuildIn;
using test::Rgba;

// Records each image element's box and the page's size on <body>, where
// the dumped document shows them, without changing the layout.
constexpr const char* kProbe = R"(<script>
const boxes = [...document.querySelectorAll('.preview-frame > span')].map(e => {
  const r = e.getBoundingClientRect();
  return [r.left, r.top, r.width, r.height].join(' ');
});
document.body.setAttribute('data-boxes', boxes.join(';'));
document.body.setAttribute('data-height', String(document.documentElement.scrollHeight));
</script>
)";

struct Box {
    double x, y, width, height;
};

std::vector<Box> Boxes(const std::string& text)
{
    std::vector<Box> boxes;
    std::stringstream all(text);
    for (std::string one; std::getline(all, one, ';');) {
        std::istringstream values(one);
        Box box{};
        values >> box.x >> box.y >> box.width >> box.height;
        boxes.push_back(box);
    }
    return boxes;
}

// What the browser shows of the written preview page: each image element's
// box in CSS pixels and a screenshot of the whole page.
struct Look {
    std::vector<Box> boxes;
    Rgba shot;
};

// The page is read from `pageFolder`, where the stylesheet lies.
Look LookAtPreview(const test::HeadlessBrowser& browser, const std::filesystem::path& pageFolder,
                   int width)
{
    // The page as written, with the probe added at its end.
    Bytes page = ReadFileBytes((pageFolder / "sprite.html").string());
    std::string probe(page.begin(), page.end());
    probe.insert(probe.rfind("</body>"), kProbe);
    const std::string probePath = (pageFolder / "probe.html").string();
    WriteFileReplacing(probePath, Bytes(probe.begin(), probe.end()));
    const std::string url = "file://" + probePath;
    const std::string shotPath = (pageFolder / "shot.png").string();

    std::string dom = browser.DumpDom(url, width, 400);
    Look look{Boxes(Attribute(dom, "data-boxes")), {}};
    browser.Screenshot(url, width, std::stoi(Attribute(dom, "data-height")), shotPath);
    look.shot = test::ReadPng(ReadFileBytes(shotPath));
    return look;
}

struct PageCase {
    LineStyle lineStyle;
    bool baseRule;
    // The sheet in public/img, the stylesheet and page in src/styles, and
    // the sheet's URL cache-busted.
    bool apart = false;
};

class PreviewInBrowser : public ::testing::TestWithParam<PageCase> {};

TEST_P(PreviewInBrowser, EveryElementShowsExactlyItsSourcesPixels)
{
    const std::string program = test::HeadlessBrowser::Find();
    if (program.empty())
        GTEST_SKIP() << "no headless browser: install chromium (make test does) or set TESSOLO_BROWSER";

    test::TempDir dir;
    std::vector<Bitmap> sources;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        sources.push_back(Pattern(5 + int(i % 4) * 2, 4 + int(i % 3) * 3, int(i) + 1));
        if (i + 1 == kNames.size())
            sources.back() = sources.front();  // a copy, which shares the first image's place
        WriteFileReplacing(dir / (kNames[i] + ".bmp"), EncodeBmp(sources.back(), 6));
        files.push_back(kNames[i] + ".bmp");
    }
    BuildSettings settings;
    settings.Orientation = kGrid;  // so images sit at both offsets
    settings.HtmlPreview = true;
    settings.DedupeImages = true;
    settings.BaseRule = GetParam().baseRule;
    std::filesystem::path pageFolder = dir.Path();
    if (GetParam().apart) {
        settings.Places = {dir / "public/img", dir / "src/styles", "", true};
        pageFolder /= "src/styles";
    }
    ASSERT_EQ(BuildError(PngBuildIn(dir, files, GetParam().lineStyle), settings), "");

    constexpr int kWidth = 640;
    Look look = LookAtPreview(test::HeadlessBrowser(program, dir.Path().string()), pageFolder, kWidth);
    const std::vector<Box>& boxes = look.boxes;
    const Rgba& shot = look.shot;
    ASSERT_EQ(boxes.size(), sources.size());
    ASSERT_EQ(shot.width, kWidth);

    for (std::size_t i = 0; i < sources.size(); ++i) {
        const Bitmap& source = sources[i];
        const Box& box = boxes[i];
        ASSERT_EQ(box.width, source.Width()) << kNames[i];
        ASSERT_EQ(box.height, source.Height()) << kNames[i];
        ASSERT_EQ(box.x, int(box.x)) << kNames[i] << " lies between pixels";
        ASSERT_EQ(box.y, int(box.y)) << kNames[i] << " lies between pixels";
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x) {
                const std::uint8_t* p =
                    &shot.pixels[(std::size_t(box.y + y) * shot.width + std::size_t(box.x + x)) * 4];
                const ColorRef expected = source.Pixel(x, y);
                ASSERT_EQ(MakeColor(p[0], p[1], p[2]), expected)
                    << kNames[i] << " at " << x << "," << y << " (page " << box.x + x << ","
                    << box.y + y << ")";
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineStylesAndBaseRule, PreviewInBrowser,
    ::testing::Values(PageCase{kPositionOnly, false}, PageCase{kPositionOnly, true},
                      PageCase{kPositionAndSize, false}, PageCase{kPositionAndSize, true},
                      PageCase{kPositionOnly, true, true}, PageCase{kPositionAndSize, false, true}),
    [](const auto& info) {
        return std::string(info.param.lineStyle == kPositionOnly ? "PositionOnly" : "PositionAndSize") +
               (info.param.baseRule ? "WithBaseRule" : "WithoutBaseRule") +
               (info.param.apart ? "SheetApart" : "");
    });

// Sheets for dense screens: at one device pixel per CSS pixel the page
// shows the plain sheet, at two the @2x sheet, at three the @3x sheet, each
// pixel for pixel at the place its rule names.
struct DensityCase {
    LineStyle lineStyle;
    int scale;        // the screen's
    int largest = 2;  // of the sheets: 2 for --retina, 3 for --scales 1,2,3
};

class HighDensityInBrowser : public ::testing::TestWithParam<DensityCase> {};

TEST_P(HighDensityInBrowser, EachScreenShowsItsOwnSheetPixelForPixel)
{
    const std::string program = test::HeadlessBrowser::Find();
    if (program.empty())
        GTEST_SKIP() << "no headless browser: install chromium (make test does) or set TESSOLO_BROWSER";
    const int scale = GetParam().scale;

    test::TempDir dir;
    const std::vector<std::pair<std::string, Bitmap>> sources = {
        {"home@2x", Pattern(7, 5, 1)}, {"odd", Pattern(5, 9, 2)}, {"wide", Pattern(10, 4, 3)},
        {"tall", Pattern(6, 12, 4)}};
    std::vector<std::string> files;
    for (const auto& [name, image] : sources) {
        WriteFileReplacing(dir / (name + ".bmp"), EncodeBmp(image, 6));
        files.push_back(name + ".bmp");
    }
    BuildSettings settings = GridSettings(3, 1);
    const int largest = GetParam().largest;
    settings.Retina = largest == 2;
    settings.Scales = largest == 3 ? 0b1110 : 0;
    settings.HtmlPreview = true;
    ASSERT_EQ(BuildError(PngBuildIn(dir, files, GetParam().lineStyle), settings), "");

    Bytes css = ReadFileBytes(dir / "sprite.css");
    const std::string cssText(css.begin(), css.end());
    std::vector<std::pair<int, int>> places;
    const std::regex position(R"(background-position: (-?\d+)px (-?\d+)px)");
    for (std::sregex_iterator it(cssText.begin(), cssText.end(), position), end; it != end; ++it)
        places.emplace_back(-std::stoi((*it)[1]), -std::stoi((*it)[2]));
    ASSERT_EQ(places.size(), sources.size()) << cssText;

    constexpr int kWidth = 480;
    Look look = LookAtPreview(test::HeadlessBrowser(program, dir.Path().string(), scale), dir.Path(),
                              kWidth);
    const std::vector<Box>& boxes = look.boxes;
    const Rgba& shot = look.shot;
    ASSERT_EQ(boxes.size(), sources.size());
    ASSERT_EQ(shot.width, kWidth * scale);
    Rgba sheet = test::ReadPng(
        ReadFileBytes(dir / (scale == 1 ? "sprite.png" : "sprite@" + std::to_string(scale) + "x.png")));

    for (std::size_t i = 0; i < sources.size(); ++i) {
        const Box& box = boxes[i];
        const auto [sheetX, sheetY] = places[i];
        const int width = (sources[i].second.Width() + largest - 1) / largest;
        const int height = (sources[i].second.Height() + largest - 1) / largest;
        ASSERT_EQ(box.width, width) << sources[i].first;
        ASSERT_EQ(box.height, height) << sources[i].first;
        for (int y = 0; y < height * scale; ++y)
            for (int x = 0; x < width * scale; ++x) {
                const std::size_t pageAt =
                    (std::size_t(box.y * scale + y) * shot.width + std::size_t(box.x * scale + x)) * 4;
                const std::size_t sheetAt =
                    (std::size_t(sheetY * scale + y) * sheet.width + std::size_t(sheetX * scale + x)) * 4;
                ASSERT_EQ(MakeColor(shot.pixels[pageAt], shot.pixels[pageAt + 1], shot.pixels[pageAt + 2]),
                          MakeColor(sheet.pixels[sheetAt], sheet.pixels[sheetAt + 1], sheet.pixels[sheetAt + 2]))
                    << sources[i].first << " at " << x << "," << y << " on a screen of scale " << scale;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    LineStylesAndScreens, HighDensityInBrowser,
    ::testing::Values(DensityCase{kPositionOnly, 1}, DensityCase{kPositionOnly, 2},
                      DensityCase{kPositionAndSize, 1}, DensityCase{kPositionAndSize, 2},
                      DensityCase{kPositionAndSize, 1, 3}, DensityCase{kPositionAndSize, 2, 3},
                      DensityCase{kPositionAndSize, 3, 3}),
    [](const auto& info) {
        return std::string(info.param.lineStyle == kPositionOnly ? "PositionOnly" : "PositionAndSize") +
               "AtScale" + std::to_string(info.param.scale) + "Of" + std::to_string(info.param.largest);
    });

}  // namespace
}  // namespace tessolo
