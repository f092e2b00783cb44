// Rules in percent and rules for states, read by a real browser from a page
// of its own: an element of the image's size or 2.5 times it, with the
// image's aspect ratio, shows exactly that image, also from the double-size
// sheet on a high-density screen; and every state rule is in the page's CSS
// object model. Skips when no browser is installed.
#include "browser_build.h"
#include "codecs/bmp/bmp_codec.h"
#include "headless_browser.h"
#include "platform/files.h"
#include "sprite/state_classes.h"
#include "support/reference_decoders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace tessolo {
namespace {

using test::Rgba;

struct ScaleCase {
    LineStyle lineStyle;
    double elementScale;  // the element's size over the image's
    int screenScale;      // device pixels per CSS pixel; 2 builds a double-size sheet too
};

void PrintTo(const ScaleCase& c, std::ostream* out)
{
    *out << "style " << c.lineStyle << ", element x" << c.elementScale << ", screen x"
         << c.screenScale;
}

struct Image {
    std::string className;  // after "sprite-"
    int width, height;      // in CSS pixels at the element's scale 1
    Bitmap pixels;          // as the source file holds them
};

// The base image and one image per state, then two of other shapes. Every
// size and place is a multiple of 4 CSS pixels, so that at 2.5 times every
// edge lies on a device pixel.
std::vector<Image> Images(int sourceScale)
{
    std::vector<std::string> names = {"home"};
    for (std::string_view state : kStatePseudoClasses)
        names.push_back("home_" + std::string(state));
    names.insert(names.end(), {"wide", "tall"});
    std::vector<Image> images;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int width = names[i] == "wide" ? 16 : names[i] == "tall" ? 4 : 8;
        const int height = names[i] == "tall" ? 12 : names[i] == "wide" ? 4 : 8;
        images.push_back({names[i], width, height,
                          test::Pattern(width * sourceScale, height * sourceScale, int(i) + 1)});
    }
    return images;
}

// A page with the stylesheet `css` and one element per image at `scale`
// times its size: the width alone where the rule gives the aspect ratio. A
// script records the boxes and the selectors of every rule with a
// pseudo-class on <body>. The stylesheet is in the page, as a page from a
// file may not read the rules of a linked one.
std::string ProbePage(const std::string& css, const std::vector<Image>& images, double scale,
                      bool sizeInRule)
{
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><style>\n" + css +
                       "</style><style>body { margin: 0 } "
                       ".probe { position: absolute; left: 4px; image-rendering: pixelated }"
                       "</style></head><body>\n";
    double top = 4;
    for (const Image& image : images) {
        std::ostringstream style;
        style << "top: " << top << "px; width: " << image.width * scale << "px";
        if (sizeInRule)
            style << "; height: " << image.height * scale << "px";
        page += "<span class=\"probe sprite sprite-" + image.className + "\" style=\"" +
                style.str() + "\"></span>\n";
        top += image.height * scale + 4;
    }
    page += R"(<script>
const rules = [...document.styleSheets[0].cssRules].map(r => r.selectorText || '');
document.body.setAttribute('data-states', rules.filter(s => s.includes(':')).join(';'));
document.body.setAttribute('data-boxes', [...document.querySelectorAll('.probe')].map(e => {
  const r = e.getBoundingClientRect();
  return [r.left, r.top, r.width, r.height].join(' ');
}).join(';'));
document.body.setAttribute('data-height', String(document.documentElement.scrollHeight));
</script></body></html>
)";
    return page;
}

std::vector<std::vector<double>> Boxes(const std::string& text)
{
    std::vector<std::vector<double>> boxes;
    std::stringstream all(text);
    for (std::string one; std::getline(all, one, ';');) {
        std::istringstream values(one);
        std::vector<double> box(4);
        values >> box[0] >> box[1] >> box[2] >> box[3];
        boxes.push_back(box);
    }
    return boxes;
}

// Whether a device pixel's centre at `at` source pixels lies on the border
// of two, where either may be drawn.
bool OnBorder(double at) { return std::abs(at - std::round(at)) < 0.01; }

class PercentRulesInBrowser : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(PercentRulesInBrowser, ElementsOfAnySizeShowExactlyTheirImage)
{
    const std::string program = test::HeadlessBrowser::Find();
    if (program.empty())
        GTEST_SKIP() << "no headless browser: install chromium (make test does) or set TESSOLO_BROWSER";
    const ScaleCase& c = GetParam();
    const bool retina = c.screenScale == 2;

    test::TempDir dir;
    const std::vector<Image> images = Images(retina ? 2 : 1);
    std::vector<std::string> files;
    for (const Image& image : images) {
        files.push_back(image.className + (retina ? "@2x" : "") + ".bmp");
        WriteFileReplacing(dir / files.back(), EncodeBmp(image.pixels, 6));
    }
    BuildSettings settings = test::GridSettings(4, 4);
    settings.BaseRule = true;
    settings.Retina = retina;
    settings.PseudoClasses = true;
    settings.Units = kUnitsPercent;
    ASSERT_EQ(test::BuildError(test::PngBuildIn(dir, files, c.lineStyle), settings), "");

    const std::string pagePath = dir / "probe.html";
    const Bytes css = ReadFileBytes(dir / "sprite.css");
    const std::string page = ProbePage(std::string(css.begin(), css.end()), images,
                                       c.elementScale, c.lineStyle == kPositionAndSize);
    WriteFileReplacing(pagePath, Bytes(page.begin(), page.end()));
    const test::HeadlessBrowser browser(program, dir.Path().string(), c.screenScale);
    constexpr int kWidth = 200;
    const std::string dom = browser.DumpDom("file://" + pagePath, kWidth, 400);

    std::string states;
    for (std::string_view state : kStatePseudoClasses)
        states += std::string(states.empty() ? "" : ";") + ".sprite-home_" + std::string(state) +
                  ", .sprite-home:" + std::string(state);
    EXPECT_EQ(test::Attribute(dom, "data-states"), states);

    const std::string shotPath = dir / "shot.png";
    browser.Screenshot("file://" + pagePath, kWidth, std::stoi(test::Attribute(dom, "data-height")),
                       shotPath);
    const Rgba shot = test::ReadPng(ReadFileBytes(shotPath));
    const std::vector<std::vector<double>> boxes = Boxes(test::Attribute(dom, "data-boxes"));
    ASSERT_EQ(boxes.size(), images.size());
    // Device pixels per pixel of the source file.
    const double ratio = c.elementScale * c.screenScale / (retina ? 2 : 1);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Image& image = images[i];
        const std::vector<double>& box = boxes[i];
        ASSERT_EQ(box[2], image.width * c.elementScale) << image.className;
        ASSERT_EQ(box[3], image.height * c.elementScale) << image.className << ": no aspect ratio";
        for (int y = 0; y < int(box[3] * c.screenScale); ++y)
            for (int x = 0; x < int(box[2] * c.screenScale); ++x) {
                const double sourceX = (x + 0.5) / ratio, sourceY = (y + 0.5) / ratio;
                if (OnBorder(sourceX) || OnBorder(sourceY))
                    continue;
                const std::uint8_t* p = shot.At(int(box[0] * c.screenScale) + x,
                                                int(box[1] * c.screenScale) + y);
                ASSERT_EQ(MakeColor(p[0], p[1], p[2]),
                          image.pixels.Pixel(int(sourceX), int(sourceY)))
                    << image.className << " at device pixel " << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(
    ScalesAndScreens, PercentRulesInBrowser,
    ::testing::Values(ScaleCase{kPositionOnly, 1, 1}, ScaleCase{kPositionOnly, 2.5, 1},
                      ScaleCase{kPositionAndSize, 2.5, 1}, ScaleCase{kPositionOnly, 2.5, 2},
                      ScaleCase{kPositionAndSize, 1, 2}),
    [](const auto& info) {
        return std::string(info.param.lineStyle == kPositionOnly ? "PositionOnly" : "PositionAndSize") +
               "Element" + (info.param.elementScale == 1 ? "1x" : "2_5x") + "Screen" +
               std::to_string(info.param.screenScale) + "x";
    });

}  // namespace
}  // namespace tessolo
