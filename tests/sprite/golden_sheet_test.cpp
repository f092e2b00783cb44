// White sheets made from sources with every kind of transparency, compared
// byte for byte with sheets kept in tests/sprite/golden. The kept sheets
// pin the white background: whatever the sources' alpha is used for, a white
// build must keep writing exactly these files. TESSOLO_WRITE_GOLDEN=1
// rewrites them (only ever on purpose).
#include "build_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(TESSOLO_SOURCE_DIR) / "tests/sprite/golden";

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
        EXPECT_TRUE(sheet == kept) << golden << ": " << sheet.size() << " bytes against " << kept.size();
    }
};

TEST_F(GoldenSheet, EveryTypeInAStripIsUnchanged)
{
    ExpectSheet(kOutputPng, "strip.png");
    ExpectSheet(kOutputGif, "strip.gif");
    ExpectSheet(kOutputJpeg, "strip.jpg");
    ExpectSheet(kOutputBmp, "strip_4bit.bmp");
    settings.BMPprefs.PixelFormat = kBmp24Bits;
    ExpectSheet(kOutputBmp, "strip_24bit.bmp");
}

TEST_F(GoldenSheet, ResizedGridIsUnchanged)
{
    settings.Orientation = 2;
    settings.ResizeMethod = kResizeByPercentage;
    settings.ResizePercentage = 150;
    settings.PNGprefs.Progressive = 1;
    ExpectSheet(kOutputPng, "grid_150.png");
    ExpectSheet(kOutputGif, "grid_150.gif");
}

}  // namespace
}  // namespace tessolo
