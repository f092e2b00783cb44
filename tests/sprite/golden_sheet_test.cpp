// White sheets made from sources with every kind of transparency, compared
// with sheets kept in tests/sprite/golden: byte for byte, except the JPEG
// sheet, whose decoded pixels are compared. The kept sheets pin the white
// background: whatever the sources' alpha is used for, a white build must
// keep writing these files. TESSOLO_WRITE_GOLDEN=1 rewrites them (only ever
// on purpose).
#include "build_fixture.h"
#include "codecs/jpeg/jpeg_image.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(TESSOLO_SOURCE_DIR) / "tests/sprite/golden";

// How far a channel of the JPEG sheet may stray from the kept one. The
// sheet is coded with the floating-point DCT, whose last bits depend on the
// processor (vector units, fused multiply-add): a coefficient that falls on
// a rounding boundary can be quantised one step the other way. At quality
// 100 a step is 1, which moves a Y, Cb or Cr sample by at most 1/4 and a
// channel, after the colour conversion (Cb counts 1.77 times in blue), by
// less than half a level. 2 allows for a few such coefficients in one
// block, while a change of background or of a placed image lies far beyond.
constexpr int kJpegTolerance = 2;

// The largest difference of one channel between the two JPEG files' pixels.
int LargestJpegDifference(const Bytes& file, const Bytes& kept)
{
    TJPEGImage jpeg, keptJpeg;
    jpeg.LoadFromBytes(file);
    keptJpeg.LoadFromBytes(kept);
    const Bitmap got = jpeg.Decode(), want = keptJpeg.Decode();
    EXPECT_EQ(got.Width(), want.Width());
    EXPECT_EQ(got.Height(), want.Height());
    if (got.Width() != want.Width() || got.Height() != want.Height())
        return 255;
    int largest = 0;
    for (int y = 0; y < got.Height(); ++y)
        for (int x = 0; x < got.Width(); ++x) {
            const ColorRef a = got.Pixel(x, y), b = want.Pixel(x, y);
            largest = std::max({largest, std::abs(RedOf(a) - RedOf(b)),
                                std::abs(GreenOf(a) - GreenOf(b)),
                                std::abs(BlueOf(a) - BlueOf(b))});
        }
    return largest;
}

class GoldenSheet : public test::Build {
protected:
    void SetUp() override
    {
        Build::SetUp();
        settings = BuildSettings();
        inputs.GraphicFiles.clear();
        for (const char* name : {"a_rgba.png", "b_rgba16.png", "c_grey_alpha.png", "d_palette_trns.png",
                                 "e_rgb_key.png", "f_covering.gif", "g_offset.gif", "h_opaque.bmp"}) {
            fs::copy_file(kGoldenDir / name, dir.Path() / name);
            inputs.GraphicFiles.push_back(name);
        }
    }

    // Builds with `type` and compares the sheet with the kept file `golden`.
    void ExpectSheet(OutputType type, const std::string& golden)
    {
        inputs.OutputFileType = type;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
        Bytes sheet = ReadFileBytes(recorder.written);
        if (std::getenv("TESSOLO_WRITE_GOLDEN")) {
            WriteFileReplacing((kGoldenDir / golden).string(), sheet);
            return;
        }
        Bytes kept = ReadFileBytes((kGoldenDir / golden).string());
        if (type == kOutputJpeg)
            EXPECT_LE(LargestJpegDifference(sheet, kept), kJpegTolerance) << golden;
        else
            EXPECT_TRUE(sheet == kept)
                << golden << ": " << sheet.size() << " bytes against " << kept.size();
    }
};

TEST_F(GoldenSheet, EveryTypeInAStripIsUnchanged)
{
    ExpectSheet(kOutputPng, "strip.png");
    ExpectSheet(kOutputGif, "strip.gif");
    ExpectSheet(kOutputJpeg, "strip.jpg");
    ExpectSheet(kOutputBmp, "strip_4bit.bmp");
    settings.Encoding.bmp.pixelFormat = kBmp24Bits;
    ExpectSheet(kOutputBmp, "strip_24bit.bmp");
}

TEST_F(GoldenSheet, ResizedGridIsUnchanged)
{
    settings.Orientation = kGrid;
    settings.ResizeMethod = kResizeByPercentage;
    settings.ResizePercentage = 150;
    settings.Encoding.png.interlace = true;
    ExpectSheet(kOutputPng, "grid_150.png");
    ExpectSheet(kOutputGif, "grid_150.gif");
}

}  // namespace
}  // namespace tessolo
