// A folder of WebP and SVG sources builds a sheet of their pixels, alpha
// kept, and a damaged one ends the build with a message naming it. The
// sheet is read back with libpng.
#include "build_fixture.h"
#include "codecs/svg/svg_codec.h"
#include "codecs/webp/webp_codec.h"
#include "support/reference_decoders.h"

#include <webp/encode.h>

namespace tessolo {
namespace {

// The 2 x 1 lossless WebP of a half-transparent red and an opaque blue.
Bytes TwoPixelWebp()
{
    const std::uint8_t bgra[] = {0, 0, 255, 128, 255, 0, 0, 255};
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessBGRA(bgra, 2, 1, 8, &out);
    Bytes file(out, out + size);
    WebPFree(out);
    return file;
}

// A 2 x 1 document: an opaque green pixel beside a transparent one.
const char kTwoPixelSvg[] =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="1"><rect width="1" height="1" fill="#00ff00"/></svg>)";

class WebpAndSvgSources : public test::Build {
protected:
    void Add(const std::string& name, const Bytes& file)
    {
        WriteFileReplacing(dir / name, file);
        inputs.GraphicFiles.push_back(name);
    }
};

TEST_F(WebpAndSvgSources, BuildASheetOfTheirPixels)
{
    Add("a.webp", TwoPixelWebp());
    Add("b.svg", Bytes(std::begin(kTwoPixelSvg), std::end(kTwoPixelSvg) - 1));
    inputs.OutputFileType = kOutputPng;
    settings.SheetBackground = kBackgroundTransparent;
    UseLineStyle(kPositionAndSize);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const test::Rgba sheet = test::ReadPng(ReadFileBytes(dir / "sprite.png"));
    ASSERT_EQ(sheet.error, "");
    const std::vector<test::Rule> rules = test::SizedRules(Css());
    ASSERT_EQ(rules.size(), 2u) << Css();
    const std::vector<std::vector<std::uint8_t>> expected[] = {
        {{255, 0, 0, 128}, {0, 0, 255, 255}},
        {{0, 255, 0, 255}, {0, 0, 0, 0}},
    };
    for (std::size_t i = 0; i < rules.size(); ++i) {
        SCOPED_TRACE(rules[i].name);
        ASSERT_EQ(rules[i].width, 2);
        ASSERT_EQ(rules[i].height, 1);
        for (int x = 0; x < 2; ++x) {
            const std::uint8_t* pixel = sheet.At(rules[i].x + x, rules[i].y);
            std::vector<std::uint8_t> got(pixel, pixel + 4);
            if (got[3] == 0)
                got = {0, 0, 0, 0};  // a transparent pixel's colour does not show
            EXPECT_EQ(got, expected[i][std::size_t(x)]) << "pixel " << x;
        }
    }
}

// --svg-size draws an SVG afresh at that size, crisp: the green half of the
// 2 x 1 document is 16 x 16 opaque green pixels, the other half clear. A
// raster source keeps its size.
TEST_F(WebpAndSvgSources, SvgSizeDrawsTheDocumentAfreshAtThatSize)
{
    Add("a.webp", TwoPixelWebp());
    Add("b.svg", Bytes(std::begin(kTwoPixelSvg), std::end(kTwoPixelSvg) - 1));
    inputs.OutputFileType = kOutputPng;
    settings.SheetBackground = kBackgroundTransparent;
    settings.SvgSize = 32;
    UseLineStyle(kPositionAndSize);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const test::Rgba sheet = test::ReadPng(ReadFileBytes(dir / "sprite.png"));
    const std::vector<test::Rule> rules = test::SizedRules(Css());
    ASSERT_EQ(rules.size(), 2u) << Css();
    EXPECT_EQ(std::pair(rules[0].width, rules[0].height), std::pair(2, 1));
    ASSERT_EQ(std::pair(rules[1].width, rules[1].height), std::pair(32, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* pixel = sheet.At(rules[1].x + x, rules[1].y + y);
            if (x < 16)
                ASSERT_EQ(std::vector(pixel, pixel + 4), (std::vector<std::uint8_t>{0, 255, 0, 255})) << x << "," << y;
            else
                ASSERT_EQ(pixel[3], 0) << x << "," << y;
        }
}

// At scales 1, 2 and 3 an SVG is drawn afresh on every sheet: each sheet's
// place holds the document rendered at that scale, not a reduction of the
// largest, whose soft edges would differ.
TEST_F(WebpAndSvgSources, ScalesDrawTheDocumentAfreshOnEverySheet)
{
    const std::string circle =
        R"(<svg xmlns="http://www.w3.org/2000/svg" width="5" height="4"><circle cx="2.5" cy="2" r="1.7" fill="#3366ff"/></svg>)";
    const Bytes document(circle.begin(), circle.end());
    Add("a.webp", TwoPixelWebp());
    Add("dot.svg", document);
    inputs.OutputFileType = kOutputPng;
    settings.SheetBackground = kBackgroundTransparent;
    settings.Scales = 0b1110;
    UseLineStyle(kPositionAndSize);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::vector<test::Rule> rules = test::SizedRules(Css());
    ASSERT_EQ(rules.size(), 2u) << Css();
    ASSERT_EQ(std::pair(rules[1].width, rules[1].height), std::pair(5, 4)) << "the document's own size";
    for (int scale : {1, 2, 3}) {
        SCOPED_TRACE("scale " + std::to_string(scale));
        const test::Rgba sheet =
            test::ReadPng(ReadFileBytes(dir / (scale == 1 ? "sprite.png" : "sprite@" + std::to_string(scale) + "x.png")));
        const Bitmap fresh = DecodeSvgSourceAt(document, 0, scale);
        ASSERT_EQ(std::pair(fresh.Width(), fresh.Height()), std::pair(5 * scale, 4 * scale));
        for (int y = 0; y < fresh.Height(); ++y)
            for (int x = 0; x < fresh.Width(); ++x) {
                const std::uint8_t* want = fresh.ScanLine(y) + 4 * x;  // blue, green, red, alpha
                const std::uint8_t* got = sheet.At(rules[1].x * scale + x, rules[1].y * scale + y);
                ASSERT_EQ(got[3], want[3]) << x << "," << y;
                if (want[3] != 0) {
                    ASSERT_EQ(std::vector(got, got + 3), (std::vector<std::uint8_t>{want[2], want[1], want[0]}))
                        << x << "," << y;
                }
            }
    }
}

// A lossy WebP source, which packed builds read a row at a time, is drawn
// as it decodes whole in every layout.
TEST_F(WebpAndSvgSources, LossyOnesAreDrawnAsTheyDecode)
{
    Bitmap picture(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            picture.SetPixel(x, y, MakeColor(std::uint8_t(6 * x), std::uint8_t(8 * y), 90));
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeBGR(picture.ScanLine(0), 40, 30, int(picture.Stride()), 80, &out);
    const Bytes lossy(out, out + size);
    WebPFree(out);
    const Bitmap expected = DecodeWebpSource(lossy);
    Add("a.webp", lossy);
    Add("b.webp", TwoPixelWebp());
    UseLineStyle(kPositionAndSize);
    for (Orientation layout : {kHorizontal, kPacked}) {
        SCOPED_TRACE(layout);
        settings.Orientation = layout;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        const Bitmap sheet = Sheet();
        const test::Rule rule = test::SizedRules(Css()).at(0);
        ASSERT_EQ(rule.width * 1000 + rule.height, 40030);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(sheet.Pixel(rule.x + x, rule.y + y), expected.Pixel(x, y)) << x << "," << y;
    }
}

TEST_F(WebpAndSvgSources, DamagedOnesEndTheBuildNamingTheFile)
{
    for (auto [name, codec] : {std::pair("bad.webp", "WebP error: "), std::pair("bad.svg", "SVG error: ")}) {
        SCOPED_TRACE(name);
        inputs.GraphicFiles.clear();
        Add(name, {'R', 'I', 'F', 'F', '<', 0, 1, 2});
        EXPECT_EQ(Run(), BuildResult::Failed);
        EXPECT_EQ(recorder.error.rfind(codec, 0), 0u) << recorder.error;
        EXPECT_NE(recorder.error.find(" in file " + (dir / name)), std::string::npos) << recorder.error;
        std::filesystem::remove(dir / name);
    }
}

}  // namespace
}  // namespace tessolo
