// End-to-end runs of tessolo-cli on folders of generated images.
#include "cli_process.h"
#include "codecs/bmp/bmp_codec.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/png/png_codec.h"
#include "platform/files.h"
#include "settings/settings_store.h"
#include "slurp.h"
#include "sprite/image_formats.h"
#include "support/images.h"
#include "support/program_version.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

namespace tessolo {
namespace {

using test::Slurp;
using test::Solid;

struct Outcome {
    int status;
    std::string out, err;
};

// Runs the command line tool with `args` (already shell-quoted where needed),
// with its settings store in the scratch folder, in the working folder
// `cwd` (or this one). A run that hangs is stopped after a minute and ends
// with status 124.
Outcome RunCli(const test::TempDir& scratch, const std::string& args, const std::string& cwd = "")
{
    std::string out = scratch / "stdout", err = scratch / "stderr";
    std::string command = (cwd.empty() ? "" : "cd '" + cwd + "' && ") + "XDG_CONFIG_HOME=" +
                          (scratch / "config") + " timeout 60 " + TESSOLO_CLI + " " + args +
                          " >" + out + " 2>" + err;
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

void AppendChunk(Bytes& png, const char* type, const Bytes& data)
{
    auto be32 = [&png](uLong v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            png.push_back(std::uint8_t(v >> shift));
    };
    be32(data.size());
    std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    be32(crc32(0, png.data() + start, uInt(png.size() - start)));
}

// A PNG file of one colour with an alpha channel (colour type 6).
Bytes RgbaPng(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
            raw.insert(raw.end(), {r, g, b, a});
    }
    Bytes packed(compressBound(uLong(raw.size())));
    uLongf packedSize = uLongf(packed.size());
    compress(packed.data(), &packedSize, raw.data(), uLong(raw.size()));
    packed.resize(packedSize);
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendChunk(png, "IHDR", {0, 0, 0, std::uint8_t(w), 0, 0, 0, std::uint8_t(h), 8, 6, 0, 0, 0});
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}

class Cli : public ::testing::Test {
protected:
    void Add(const std::string& name, int w, int h, ColorRef color)
    {
        WriteFileReplacing(images / name, EncodeBmp(Solid(w, h, color), 6));
    }
    Outcome Run(const std::string& args, const std::string& cwd = "")
    {
        return RunCli(scratch, args, cwd);
    }
    std::string StoreFile() { return scratch / "config/Veltrand/Tessolo.reg"; }

    test::TempDir images, scratch;
};

TEST_F(Cli, PacksEveryImageOfTheFolderSortedByName)
{
    Add("b.bmp", 10, 10, MakeColor(0, 0, 255));
    Add("A.bmp", 10, 10, MakeColor(255, 0, 0));
    Add("c.BMP", 10, 10, MakeColor(0, 255, 0));
    WriteFileReplacing(images / "readme.txt", Bytes{'x'});

    Outcome run = Run("--type bmp --bmp-bits 24 --layout grid --hpad 2 --vpad 3 " +
                      images.Path().string() + "/");
    ASSERT_EQ(run.status, 0) << run.err;
    // The report names both outputs with one separator after the folder.
    EXPECT_NE(run.err.find("wrote " + images / "sprite.bmp" + " (10 x 36) and " +
                           images / "sprite.css" + "\n"),
              std::string::npos)
        << run.err;
    const std::string css =
        ".sprite-A { background-position: 0px 0px }\r\n"
        ".sprite-b { background-position: 0px -13px }\r\n"
        ".sprite-c { background-position: 0px -26px }\r\n";
    EXPECT_EQ(Slurp(images / "sprite.css"), css);
    EXPECT_EQ(run.out,
              ".sprite-A { background-position: 0px 0px }\n"
              ".sprite-b { background-position: 0px -13px }\n"
              ".sprite-c { background-position: 0px -26px }\n");

    Bitmap sheet = LoadBmpFile(images / "sprite.bmp");
    ASSERT_EQ(sheet.Width(), 10);
    ASSERT_EQ(sheet.Height(), 36);
    EXPECT_EQ(sheet.Pixel(5, 5), MakeColor(255, 0, 0));
    EXPECT_EQ(sheet.Pixel(5, 11), kWhite);
    EXPECT_EQ(sheet.Pixel(5, 20), MakeColor(0, 0, 255));
    EXPECT_EQ(sheet.Pixel(5, 35), MakeColor(0, 255, 0));

    // A second run leaves this project's own sheet out.
    Outcome again = Run("--type bmp --bmp-bits 24 --layout grid --hpad 2 --vpad 3 " +
                        images.Path().string());
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), css);
    EXPECT_NE(again.err.find("leaving out sprite.bmp"), std::string::npos);
}

TEST_F(Cli, PackedLayoutFitsImagesTogetherAndIsStored)
{
    Add("a.bmp", 20, 10, MakeColor(255, 0, 0));
    Add("b.bmp", 10, 10, MakeColor(0, 255, 0));
    Add("c.bmp", 10, 10, MakeColor(0, 0, 255));
    Outcome run = Run("--save-settings --type bmp --bmp-bits 24 --layout packed --hpad 0 "
                      "--vpad -3 --style 1 " + images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    // The row and the square have the same area; the squarer sheet wins.
    EXPECT_EQ(Slurp(images / "sprite.css"),
              ".sprite-a { background-position: 0px 0px; width: 20px; height: 10px; }\r\n"
              ".sprite-b { background-position: 0px -10px; width: 10px; height: 10px; }\r\n"
              ".sprite-c { background-position: -10px -10px; width: 10px; height: 10px; }\r\n");
    EXPECT_NE(run.err.find("tessolo-cli: The packed layout counts a negative padding as 0"),
              std::string::npos) << run.err;
    Bitmap sheet = LoadBmpFile(images / "sprite.bmp");
    ASSERT_EQ(sheet.Width(), 20);
    ASSERT_EQ(sheet.Height(), 20);
    EXPECT_EQ(sheet.Pixel(19, 9), MakeColor(255, 0, 0));
    EXPECT_EQ(sheet.Pixel(9, 10), MakeColor(0, 255, 0));
    EXPECT_EQ(sheet.Pixel(10, 19), MakeColor(0, 0, 255));

    EXPECT_NE(Slurp(StoreFile()).find("\"Orientation\"=hex:03"), std::string::npos);
    Outcome show = Run("--show-settings");
    EXPECT_NE(show.out.find("--layout          packed"), std::string::npos) << show.out;
    Outcome help = Run("--help");
    EXPECT_NE(help.out.find("--layout horizontal|vertical|grid|packed"), std::string::npos);
}

TEST_F(Cli, NamedFilesAreTakenInTheGivenOrder)
{
    Add("one.bmp", 4, 6, kBlack);
    Add("two.bmp", 8, 2, kBlack);
    Outcome run = Run("--type bmp --name pack --class .ic --style 1 --resize 50% " +
                      images.Path().string() + " two.bmp one.bmp");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(images / "pack.css"),
              ".ic-two { background-position: 0px 0px; width: 4px; height: 1px; }\r\n"
              ".ic-one { background-position: -9px 0px; width: 2px; height: 3px; }\r\n");
    Bitmap sheet = LoadBmpFile(images / "pack.bmp");
    EXPECT_EQ(sheet.Width(), 11);
    EXPECT_EQ(sheet.Height(), 3);
}

TEST_F(Cli, WritesAJpegSheetByDefault)
{
    Add("red.bmp", 16, 32, MakeColor(255, 0, 0));
    Add("blue.bmp", 16, 8, MakeColor(0, 0, 255));
    Outcome run = Run(images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    Bitmap sheet = LoadJpegSource(images / "sprite.jpg");
    ASSERT_EQ(sheet.Width(), 37);
    ASSERT_EQ(sheet.Height(), 32);
    auto near = [](ColorRef a, ColorRef b) {
        return std::abs(RedOf(a) - RedOf(b)) < 8 && std::abs(GreenOf(a) - GreenOf(b)) < 8 &&
               std::abs(BlueOf(a) - BlueOf(b)) < 8;
    };
    // Sorted by name: blue first, then red.
    EXPECT_TRUE(near(sheet.Pixel(4, 4), MakeColor(0, 0, 255)));
    EXPECT_TRUE(near(sheet.Pixel(28, 4), MakeColor(255, 0, 0)));
    EXPECT_TRUE(near(sheet.Pixel(4, 28), kWhite));
}

TEST_F(Cli, PacksAFolderOfGifsIntoAGifSheet)
{
    const ColorRef red = MakeColor(255, 0, 0), blue = MakeColor(51, 102, 153);
    WriteFileReplacing(images / "a.gif", EncodeGifSheet(Solid(6, 4, red), {}));
    WriteFileReplacing(images / "b.GIF", EncodeGifSheet(Solid(3, 9, blue), {}));
    for (const char* coding : {"lzw", "rle"}) {
        SCOPED_TRACE(coding);
        Outcome run = Run(std::string("--type gif --layout vertical --vpad 1 --gif-compression ") +
                          coding + " " + images.Path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Slurp(images / "sprite.css"),
                  ".sprite-a { background-position: 0px 0px }\r\n"
                  ".sprite-b { background-position: 0px -5px }\r\n");
        Bitmap sheet = LoadGifSource(images / "sprite.gif");
        ASSERT_EQ(sheet.Width(), 6);
        ASSERT_EQ(sheet.Height(), 14);
        EXPECT_EQ(sheet.Pixel(5, 3), red);
        EXPECT_EQ(sheet.Pixel(0, 4), kWhite);
        EXPECT_EQ(sheet.Pixel(2, 13), blue);
        EXPECT_EQ(sheet.Pixel(3, 13), kWhite);
    }
}

TEST_F(Cli, PacksTransparentPngsOverWhiteIntoAPngSheet)
{
    WriteFileReplacing(images / "glass.png", RgbaPng(8, 8, 255, 0, 0, 128));
    WriteFileReplacing(images / "hole.png", RgbaPng(4, 4, 0, 0, 0, 0));
    Add("solid.bmp", 4, 4, MakeColor(0, 0, 255));
    for (const char* options : {"--png-level 0", "--png-level 9 --png-interlace"}) {
        SCOPED_TRACE(options);
        Outcome run = Run(std::string("--type png --hpad 0 ") + options + " " + images.Path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Slurp(images / "sprite.css"),
                  ".sprite-glass { background-position: 0px 0px }\r\n"
                  ".sprite-hole { background-position: -8px 0px }\r\n"
                  ".sprite-solid { background-position: -12px 0px }\r\n");
        Bitmap sheet = LoadPngSource(images / "sprite.png");
        ASSERT_EQ(sheet.Width(), 16);
        ASSERT_EQ(sheet.Height(), 8);
        ColorRef glass = sheet.Pixel(3, 3);
        EXPECT_EQ(RedOf(glass), 255);
        EXPECT_NEAR(GreenOf(glass), 127, 1);
        EXPECT_NEAR(BlueOf(glass), 127, 1);
        EXPECT_EQ(sheet.Pixel(9, 2), kWhite) << "a fully transparent source shows the sheet's white";
        EXPECT_EQ(sheet.Pixel(13, 2), MakeColor(0, 0, 255));
    }
}

TEST_F(Cli, TransparentBackgroundKeepsAlphaIsStoredAndRefusesJpeg)
{
    WriteFileReplacing(images / "glass.png", RgbaPng(8, 8, 255, 0, 0, 128));
    WriteFileReplacing(images / "hole.png", RgbaPng(4, 4, 0, 0, 0, 0));
    Add("solid.bmp", 4, 4, MakeColor(0, 0, 255));
    Outcome run = Run("--type png --hpad 2 --background transparent " + images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    Bitmap sheet = LoadPngSource(images / "sprite.png");
    ASSERT_TRUE(sheet.HasAlpha);
    ASSERT_EQ(sheet.Width(), 20);
    auto alpha = [&](int x, int y) { return int(sheet.ScanLine(y)[4 * x + 3]); };
    EXPECT_EQ(sheet.Pixel(3, 3), MakeColor(255, 0, 0));
    EXPECT_EQ(alpha(3, 3), 128);
    EXPECT_EQ(alpha(9, 1), 0) << "padding";
    EXPECT_EQ(alpha(11, 1), 0) << "a fully transparent source";
    EXPECT_EQ(alpha(17, 1), 255);
    EXPECT_EQ(alpha(17, 6), 0) << "below a short image";

    Outcome refused = Run("--type jpeg --background transparent " + images.Path().string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("A transparent background needs a PNG, GIF, WebP or AVIF sheet: JPEG cannot hold "
                               "transparency\n"),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.jpg"));

    Outcome saved = Run("--save-settings --show-settings --background transparent");
    EXPECT_NE(saved.out.find("--background      transparent  (command line)\n"), std::string::npos) << saved.out;
    EXPECT_NE(Slurp(StoreFile()).find("\"SheetBackground\"=hex:01\n"), std::string::npos);
    Outcome shown = Run("--show-settings --background white");
    EXPECT_NE(shown.out.find("--background      white  (command line)\n"), std::string::npos) << shown.out;
}

TEST_F(Cli, PngOptimizeIsStoredAndKeepsThePixels)
{
    Add("a.bmp", 60, 40, MakeColor(200, 30, 30));
    Add("b.bmp", 30, 70, MakeColor(0, 90, 255));
    Outcome save = Run("--save-settings --type png --png-optimize " + images.Path().string());
    ASSERT_EQ(save.status, 0) << save.err;
    std::string store = Slurp(StoreFile());
    EXPECT_NE(store.find("\"PNGprefs\"=\"1,0,1,9,9,0\""), std::string::npos) << store;
    std::string optimized = Slurp(images / "sprite.png");
    ASSERT_GT(optimized.size(), 25u);
    EXPECT_EQ(optimized[25], 3) << "three colours make a palette sheet";
    Bitmap small = LoadPngSource(images / "sprite.png");

    Outcome plain = Run("--no-png-optimize " + images.Path().string());
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(Slurp(images / "sprite.png")[25], 2);
    EXPECT_LT(optimized.size(), Slurp(images / "sprite.png").size());
    Bitmap full = LoadPngSource(images / "sprite.png");
    ASSERT_EQ(small.Width(), full.Width());
    ASSERT_EQ(small.Height(), full.Height());
    for (int y = 0; y < full.Height(); ++y)
        for (int x = 0; x < full.Width(); ++x)
            ASSERT_EQ(small.Pixel(x, y), full.Pixel(x, y)) << x << "," << y;

    // max is stored as 2.
    Outcome max = Run("--save-settings --png-optimize=max " + images.Path().string());
    ASSERT_EQ(max.status, 0) << max.err;
    EXPECT_NE(Slurp(StoreFile()).find("\"PNGprefs\"=\"1,0,2,9,9,0\""), std::string::npos);

    // A lossy palette of two colours: stored, and a palette sheet.
    Outcome lossy = Run("--save-settings --png-colors 2 --png-dither " + images.Path().string());
    ASSERT_EQ(lossy.status, 0) << lossy.err;
    EXPECT_EQ(Slurp(images / "sprite.png")[25], 3);
    EXPECT_NE(Slurp(StoreFile()).find("\"PngColors\"=dword:00000002\n\"PngDither\"=hex:01\n"),
              std::string::npos);
    EXPECT_EQ(Run("--png-colors 257").status, 2);
}

// Each output type and BMP code as a person meets it: the word given on the
// command line, the value the store keeps, the file the build writes.
TEST_F(Cli, EveryOutputTypeAndBmpCodeRoundTripsThroughItsTable)
{
    Add("a.bmp", 4, 4, kBlack);
    auto stored = [this] {
        FormatPrefsSet records;
        OrvaneRegistry store(records, {.storeFile = StoreFile(), .saveOnDestruction = false});
        return std::pair(store.TargetFileType, records.BMPprefs.PixelFormat);
    };
    for (const OutputTypeInfo& type : kOutputTypes) {
        std::string word(type.commandWord);
        SCOPED_TRACE(word);
        Outcome run = Run("--save-settings --type " + word + " " + images.Path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(stored().first, type.type);
        EXPECT_TRUE(std::filesystem::exists(images / ("sprite" + std::string(type.extension))));
        EXPECT_NE(FormatForExtension(type.extension), nullptr) << "its sheets are sources";
        Outcome shown = Run("--show-settings");
        EXPECT_NE(shown.out.find("--type            " + word + "\n"), std::string::npos)
            << shown.out;
    }
    for (auto [code, format] : kBmpPixelCodes) {
        std::string bits = std::to_string(BitsPerPixel(format));
        SCOPED_TRACE(bits);
        Outcome run = Run("--save-settings --type bmp --bmp-bits " + bits + " " +
                          images.Path().string());
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(stored().second, code);
        Bytes sheet = ReadFileBytes(images / "sprite.bmp");
        ASSERT_GE(sheet.size(), 30u);
        EXPECT_EQ(std::to_string(sheet[28] | sheet[29] << 8), bits);
    }
}

TEST_F(Cli, ValidationMessagesGoToStandardError)
{
    Outcome run = Run("--class nodot " + images.Path().string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Can't Make Sprites:\nThe following errors were found:\n\n"
              "No images files selected\nNo sprite classname selected or entered\n");
    EXPECT_EQ(run.out, "");
}

TEST_F(Cli, BuildErrorsEndWithAFullStopAndFailTheRun)
{
    WriteFileReplacing(images / "broken.bmp", Bytes{'B', 'M'});
    Outcome run = Run("--type bmp " + images.Path().string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tessolo-cli: Bitmap image is not valid in file " + (images / "broken.bmp") +
                           ".\n");
}

TEST_F(Cli, SheetWithoutPixelsFailsTheRun)
{
    Add("a.bmp", 4, 4, kBlack);
    Outcome run = Run("--type png --resize 0% " + images.Path().string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("No image was placed on the sheet"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.png"));
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.css"));
}

TEST_F(Cli, ProjectNameWithAPathIsRefused)
{
    std::filesystem::create_directory(images / "in");
    Add("in/a.bmp", 4, 4, kBlack);
    Outcome run = Run("--type bmp --name ../escape " + (images / "in"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("The sprite project name must be a file name"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(images / "escape.css"));
    EXPECT_FALSE(std::filesystem::exists(images / "escape.bmp"));
}

TEST_F(Cli, FifosAreRefusedWithoutWaitingForAWriter)
{
    Add("a.bmp", 4, 4, kBlack);
    ASSERT_EQ(::mkfifo((images / "pipe.png").c_str(), 0600), 0);
    Outcome source = Run("--type bmp " + images.Path().string() + " a.bmp pipe.png");
    EXPECT_EQ(source.status, 1);
    EXPECT_EQ(source.err, "tessolo-cli: Cannot open file " + (images / "pipe.png") +
                              ": not a regular file.\n");

    ASSERT_EQ(::mkfifo((scratch / "store.reg").c_str(), 0600), 0);
    Outcome store = Run("--type bmp --settings " + (scratch / "store.reg") + " " +
                        images.Path().string() + " a.bmp");
    EXPECT_EQ(store.status, 0) << store.err;
    EXPECT_NE(store.err.find("warning: "), std::string::npos) << store.err;
}

TEST_F(Cli, ALinkLoopInTheFolderIsSkippedWithAWarningButNamedIsAnError)
{
    Add("a.bmp", 4, 4, kBlack);
    std::filesystem::create_symlink("loop.png", images / "loop.png");
    const std::string loop = images / "loop.png";
    Outcome listed = Run("--type bmp " + images.Path().string());
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.err.find("tessolo-cli: warning: skipped " + loop +
                              ": Too many levels of symbolic links\n"),
              std::string::npos)
        << listed.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), ".sprite-a { background-position: 0px 0px }\r\n");

    Outcome named = Run("--type bmp " + images.Path().string() + " a.bmp loop.png");
    EXPECT_EQ(named.status, 1);
    EXPECT_NE(named.err.find(loop + ": Too many levels of symbolic links"), std::string::npos)
        << named.err;
}

TEST_F(Cli, SheetsThatBuildsWroteAreLeftOutWhateverTheirProjectUnlessNamed)
{
    Add("a.bmp", 4, 4, kBlack);
    const std::string folder = images.Path().string();
    const std::string onlyA = ".sprite-a { background-position: 0px 0px }\r\n";
    ASSERT_EQ(Run("--type bmp " + folder).status, 0);

    // Another project, then this one with another type.
    Outcome other = Run("--type png --name other " + folder);
    ASSERT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(Slurp(images / "other.css"), onlyA);
    Outcome retyped = Run("--type gif " + folder);
    ASSERT_EQ(retyped.status, 0) << retyped.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), onlyA);
    for (const char* sheet : {"other.png", "sprite.bmp"})
        EXPECT_NE(retyped.err.find("leaving out " + std::string(sheet) +
                                   ", a sheet written by Tessolo\n"),
                  std::string::npos)
            << retyped.err;

    Outcome named = Run("--type png --name named " + folder + " sprite.bmp");
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(Slurp(images / "named.css"), ".sprite-sprite { background-position: 0px 0px }\r\n");
}

// --also: the same sheet in other types, offered best first, stored, left
// out of the next build's sources, and removed once no longer asked for.
TEST_F(Cli, OtherTypesAreOfferedStoredLeftOutAndRemovedWhenDropped)
{
    Add("a.bmp", 4, 4, kBlack);
    const std::string folder = images.Path().string();
    Outcome run = Run("--save-settings --type png --also webp,avif --base-rule --background transparent " +
                      folder);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string css = Slurp(images / "sprite.css");
    EXPECT_EQ(css.substr(0, css.find("\r\n")),
              ".sprite { background-image: url('sprite.png'); background-image: "
              "image-set(url('sprite.avif') type('image/avif'), url('sprite.webp') type('image/webp'), "
              "url('sprite.png') type('image/png')); background-repeat: no-repeat; display: inline-block; }");
    EXPECT_NE(Run("--show-settings").out.find("--also            webp,avif\n"), std::string::npos);

    Outcome again = Run(folder);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("leaving out sprite.avif, a sheet written by Tessolo\n"), std::string::npos)
        << again.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), css);

    Outcome refused = Run("--also jpeg " + folder);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("JPEG cannot hold transparency (asked for as another type)"),
              std::string::npos)
        << refused.err;

    ASSERT_EQ(Run("--also none " + folder).status, 0);
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.avif"));
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.webp"));
    EXPECT_TRUE(std::filesystem::exists(images / "sprite.png"));
}

TEST_F(Cli, BadCommandLinesAreRefused)
{
    struct Case {
        const char* args;
        const char* message;
    } cases[] = {
        {"--frobnicate", "unknown option --frobnicate"},
        {"--style 2", "--style: '2' is not a whole number from 0 to 1"},
        {"--type tiff", "--type: 'tiff' is not one of jpeg, png, gif, bmp, webp, avif"},
        {"--also png,tiff", "--also: 'tiff' is not one of jpeg, png, gif, bmp, webp, avif"},
        {"--resize 50", "--resize: '50' is not none, PERCENT% or WIDTHxHEIGHT"},
        {"--resize 10xten", "--resize: 'ten' is not a whole number"},
        {"--hpad", "--hpad needs a value"},
        {"--bmp-bits 15", "--bmp-bits: '15' is not one of 4, 8, 16, 24, 32"},
        {"--background black", "--background: 'black' is not one of white, transparent"},
        {"--png-level 10", "--png-level: '10' is not a whole number from 0 to 9"},
        {"--png-interlace=1", "--png-interlace takes no value"},
        {"--png-optimize=yes", "--png-optimize takes no value"},
        {"--dedupe=yes", "--dedupe takes no value"},
        {"--units em", "--units: 'em' is not one of px, percent"},
        {"--max-size 4096", "--max-size: '4096' is not none or WIDTHxHEIGHT"},
        {"--max-size 0x10", "--max-size: '0' is not a whole number from 1 to 65535"},
        {"/no/such/folder", "/no/such/folder is not a folder"},
    };
    for (const Case& c : cases) {
        Outcome run = Run(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args << ": " << run.err;
    }
}

TEST_F(Cli, StoredSettingsBecomeTheDefaults)
{
    Add("a.bmp", 4, 4, kBlack);
    Add("b.bmp", 4, 4, kBlack);
    Outcome save = Run("--save-settings --show-settings --type bmp --layout vertical --vpad 1 "
                       "--class .ic --style 1 --bmp-bits 24 --png-level 3");
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_NE(save.out.find("Settings store: " + StoreFile()), std::string::npos) << save.out;
    EXPECT_NE(save.out.find("BMPprefs          3,0,0,0,0,6"), std::string::npos) << save.out;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.css")) << "--show-settings packed";

    Outcome build = Run(images.Path().string());
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(Slurp(images / "sprite.css"),
              ".ic-a { background-position: 0px 0px; width: 4px; height: 4px; }\r\n"
              ".ic-b { background-position: 0px -5px; width: 4px; height: 4px; }\r\n");
    EXPECT_EQ(LoadBmpFile(images / "sprite.bmp").Format(), PixelFormat::Bits24);

    // Options given on the command line win, and are not stored unless asked.
    std::string stored = Slurp(StoreFile());
    Outcome once = Run("--layout horizontal --class .x " + images.Path().string());
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_EQ(Slurp(images / "sprite.css"),
              ".x-a { background-position: 0px 0px; width: 4px; height: 4px; }\r\n"
              ".x-b { background-position: -9px 0px; width: 4px; height: 4px; }\r\n");
    EXPECT_EQ(Slurp(StoreFile()), stored);
    EXPECT_NE(stored.find("\"SpriteClass\"=\".ic,.sprite\""), std::string::npos) << stored;
}

TEST_F(Cli, WebOutputOptionsAreStoredAndTheFirstDataReplacesTheStoredChoice)
{
    Add("a b.bmp", 4, 4, kBlack);
    Add("a-b.bmp", 4, 4, kBlack);
    Outcome save = Run("--save-settings --type bmp --base-rule --data scss --data json --html " +
                       images.Path().string());
    ASSERT_EQ(save.status, 0) << save.err;
    for (const char* file : {"sprite.scss", "sprite.json", "sprite.html"})
        EXPECT_TRUE(std::filesystem::exists(images / file)) << file;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.less"));
    EXPECT_EQ(Slurp(images / "sprite.css").rfind(".sprite { background-image: url('sprite.bmp');", 0), 0u);
    EXPECT_NE(save.err.find("tessolo-cli: warning: a-b.bmp gets the class \"sprite-a-b\" that "
                            "a b.bmp has already"),
              std::string::npos)
        << save.err;

    Outcome shown = Run("--show-settings");
    EXPECT_NE(shown.out.find("--base-rule       yes\n  --data            css,scss,json\n"
                             "  --html            yes\n"),
              std::string::npos)
        << shown.out;
    shown = Run("--show-settings --data less --no-html --no-base-rule");
    EXPECT_NE(shown.out.find("--base-rule       no  (command line)\n  --data            css,less  (command line)\n"
                             "  --html            no  (command line)\n"),
              std::string::npos)
        << shown.out;
    EXPECT_NE(Run("--show-settings --data css").out.find("--data            css  (command line)\n"),
              std::string::npos);
    Outcome bad = Run("--data xml");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--data: 'xml' is not one of"), std::string::npos) << bad.err;
}

// The folders are named from the working folder and stored as the build
// finds them; the stylesheet reaches the sheet by its relative URL.
TEST_F(Cli, OutputPlacesAndTemplatesAreTakenFromTheWorkingFolderAndStored)
{
    Add("a.bmp", 4, 4, kBlack);
    const std::string list = "{{#images}}{{class}} {{x}}\n{{/images}}";
    WriteFileReplacing(scratch / "list.txt.mustache", Bytes(list.begin(), list.end()));
    Outcome run = Run("--save-settings --type bmp --base-rule --out public/img --css-out src/styles "
                      "--cache-bust --template list.txt.mustache " + images.Path().string(),
                      scratch.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(scratch / "public/img/sprite.bmp"));
    EXPECT_EQ(Slurp(scratch / "src/styles/sprite.txt"), "sprite-a 0\n");
    EXPECT_NE(Slurp(scratch / "src/styles/sprite.css").find("url('../../public/img/sprite.bmp?v="),
              std::string::npos);
    EXPECT_NE(run.err.find("and " + (scratch / "src/styles/sprite.css")), std::string::npos)
        << run.err;

    Outcome shown = Run("--show-settings --url /i/s.bmp");
    EXPECT_NE(shown.out.find("--out             " + (scratch / "public/img") +
                             "\n  --css-out         " + (scratch / "src/styles") +
                             "\n  --url             /i/s.bmp  (command line)\n  --cache-bust      yes\n"
                             "  --template        " + (scratch / "list.txt.mustache") + "\n"),
              std::string::npos)
        << shown.out;
    EXPECT_NE(Run("--show-settings --template ''").out.find("--template          (command line)\n"),
              std::string::npos);
}

// Quiet runs print nothing on success but warnings; images of types that are
// not read are named in one warning.
TEST_F(Cli, QuietPrintsOnlyWarnings)
{
    Add("a.bmp", 4, 4, kBlack);
    Add("b.bmp", 4, 4, kBlack);
    for (const char* name : {"logo.svgz", "photo.HEIC"})
        WriteFileReplacing(images / name, Bytes{'x'});
    const std::string folder = images.Path().string();
    const std::string unread = "tessolo-cli: warning: skipped 2 images of types not read (only "
                               "PNG, JPEG, GIF, BMP, WebP and SVG are): logo.svgz, photo.HEIC\n";
    Outcome quiet = Run("-q --type bmp --dedupe --save-settings " + folder);
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, unread);
    Outcome verbose = Run("--quiet --verbose " + folder);
    EXPECT_NE(verbose.out.find(".sprite-b"), std::string::npos);
    EXPECT_NE(verbose.err.find(unread), std::string::npos);
    EXPECT_NE(verbose.err.find("merged 1 image"), std::string::npos) << verbose.err;
}

// The options of the rules' form reach the build, are stored and are shown.
struct RuleFormCase {
    const char* label;
    const char* args;
    const char* css;
    const char* shown;
};

class RuleFormOptions : public Cli, public ::testing::WithParamInterface<RuleFormCase> {};

TEST_P(RuleFormOptions, ReachTheBuildAndAreStored)
{
    Add("home.bmp", 10, 10, kBlack);
    Add("home_hover.bmp", 10, 10, kBlack);
    Outcome run = Run(std::string("--save-settings --type bmp --hpad 0 ") + GetParam().args + " " +
                      images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), GetParam().css);
    Outcome shown = Run("--show-settings");
    EXPECT_NE(shown.out.find(GetParam().shown), std::string::npos) << shown.out;
}

INSTANTIATE_TEST_SUITE_P(
    , RuleFormOptions,
    ::testing::Values(
        RuleFormCase{"PseudoClasses", "--pseudo-classes",
                     ".sprite-home { background-position: 0px 0px }\r\n"
                     ".sprite-home_hover, .sprite-home:hover { background-position: -10px 0px }\r\n",
                     "--pseudo-classes  yes\n  --units           px\n"},
        RuleFormCase{"Percent", "--units percent",
                     ".sprite-home { background-position: 0% 0%; background-size: 200% 100%; "
                     "aspect-ratio: 10 / 10 }\r\n"
                     ".sprite-home_hover { background-position: 100% 0%; background-size: 200% "
                     "100%; aspect-ratio: 10 / 10 }\r\n",
                     "--pseudo-classes  no\n  --units           percent\n"},
        RuleFormCase{"LastOneWins", "--pseudo-classes --units percent --no-pseudo-classes --units px",
                     ".sprite-home { background-position: 0px 0px }\r\n"
                     ".sprite-home_hover { background-position: -10px 0px }\r\n",
                     "--pseudo-classes  no\n  --units           px\n"},
        RuleFormCase{"MaxSize", "--max-size 10x10",
                     ".sprite-home { background-image: url('sprite-1.bmp'); background-position: "
                     "0px 0px }\r\n"
                     ".sprite-home_hover { background-image: url('sprite-2.bmp'); "
                     "background-position: 0px 0px }\r\n",
                     "--max-size        10x10\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Cli, RetinaWritesBothSheetsIsStoredAndNeverPacksItsOwnDoubleSheet)
{
    Add("home@2x.bmp", 6, 4, MakeColor(10, 20, 30));
    Add("dot.bmp", 3, 3, MakeColor(200, 0, 0));
    const std::string folder = images.Path().string();
    Outcome first = Run("--save-settings --type png --retina " + folder);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("sprite.png (8 x 2), its double-size sheet (16 x 4)"), std::string::npos)
        << first.err;
    const std::string css = Slurp(images / "sprite.css");
    EXPECT_NE(css.find(".sprite-home { background-position: -5px 0px }"), std::string::npos) << css;
    EXPECT_NE(css.find("background-size: 8px 2px;"), std::string::npos) << css;
    EXPECT_TRUE(std::filesystem::exists(images / "sprite@2x.png"));
    EXPECT_NE(Slurp(StoreFile()).find("\"Retina\"=hex:01\n"), std::string::npos);

    // The stored option holds for the next run, which leaves both of this
    // project's sheets out of its sources.
    Outcome again = Run(folder);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), css);
    EXPECT_NE(again.err.find("leaving out sprite@2x.png"), std::string::npos) << again.err;
    EXPECT_NE(Run("--show-settings --no-retina").out.find("  --retina          no  (command line)\n"),
              std::string::npos);
}

TEST_F(Cli, ScalesWriteASheetPerDensityAreStoredAndRetinaNamesTwoOfThem)
{
    Add("home@3x.bmp", 6, 3, MakeColor(10, 20, 30));
    Add("home.bmp", 2, 1, MakeColor(10, 20, 30));
    const std::string folder = images.Path().string();
    Outcome first = Run("--save-settings --type png --scales 1,2,3 " + folder);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.err.find("sprite.png (2 x 1), its double-size sheet (4 x 2), 3x sheet (6 x 3)"),
              std::string::npos)
        << first.err;
    EXPECT_NE(first.err.find("left out 1 image with a file of a larger scale beside it: home.bmp"),
              std::string::npos)
        << first.err;
    for (const char* sheet : {"sprite.png", "sprite@2x.png", "sprite@3x.png"})
        EXPECT_TRUE(std::filesystem::exists(images / sheet)) << sheet;
    EXPECT_NE(Slurp(StoreFile()).find("\"Scales\"=dword:0000000e\n"), std::string::npos);

    Outcome again = Run(folder);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("sprite@3x.png"), std::string::npos) << "left out as a sheet: " << again.err;
    EXPECT_NE(Run("--show-settings").out.find("  --scales          1,2,3\n"), std::string::npos);
    EXPECT_NE(Run("--show-settings --retina").out.find("  --scales          1,2\n"), std::string::npos);
    Outcome bad = Run("--scales 2,3 " + folder);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--scales: '2,3' leaves out 1"), std::string::npos) << bad.err;
}

TEST_F(Cli, DedupePlacesCopiesOnceAndSaysHowManyItMerged)
{
    Add("a.bmp", 4, 4, MakeColor(1, 2, 3));
    Add("b.bmp", 4, 4, MakeColor(1, 2, 3));
    Add("c.bmp", 4, 4, MakeColor(1, 2, 4));
    const std::string folder = images.Path().string();

    Outcome plain = Run("--type bmp " + folder);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err.find("merged"), std::string::npos) << plain.err;
    EXPECT_EQ(LoadBmpFile(images / "sprite.bmp").Width(), 22);

    Outcome merged = Run("--type bmp --dedupe " + folder);
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(Slurp(images / "sprite.css"),
              ".sprite-a { background-position: 0px 0px }\r\n"
              ".sprite-b { background-position: 0px 0px }\r\n"
              ".sprite-c { background-position: -9px 0px }\r\n");
    EXPECT_NE(merged.err.find("tessolo-cli: merged 1 image identical to one placed before\n"),
              std::string::npos) << merged.err;
    EXPECT_EQ(LoadBmpFile(images / "sprite.bmp").Width(), 13);

    // Stored, it becomes the default, which --no-dedupe overrides once.
    Outcome save = Run("--save-settings --show-settings --dedupe");
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_NE(save.out.find("  --dedupe          yes  (command line)\n"), std::string::npos) << save.out;
    EXPECT_NE(Slurp(StoreFile()).find("\"DedupeImages\"=hex:01\n"), std::string::npos);
    Outcome stored = Run("--type bmp " + folder);
    ASSERT_EQ(stored.status, 0) << stored.err;
    EXPECT_EQ(LoadBmpFile(images / "sprite.bmp").Width(), 13);
    Outcome once = Run("--type bmp --no-dedupe " + folder);
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_EQ(LoadBmpFile(images / "sprite.bmp").Width(), 22);
    EXPECT_NE(Run("--show-settings --no-dedupe").out.find("  --dedupe          no  (command line)\n"),
              std::string::npos);
}

TEST_F(Cli, DamagedStoreWarnsAndFallsBackToDefaults)
{
    std::filesystem::create_directories(scratch / "config/Veltrand");
    WriteFileReplacing(StoreFile(), Bytes{'j', 'u', 'n', 'k', '\n'});
    Add("a.bmp", 4, 4, kBlack);
    Outcome run = Run("--type bmp " + images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tessolo-cli: warning: "), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(images / "sprite.css"), ".sprite-a { background-position: 0px 0px }\r\n");
}

TEST_F(Cli, RunsWithoutTheSaveOptionLeaveNoStoreBehind)
{
    Add("a.bmp", 4, 4, kBlack);
    for (const std::string& args : {std::string("--show-settings"), "--type bmp " + images.Path().string()}) {
        Outcome run = Run(args);
        EXPECT_EQ(run.status, 0) << args << ": " << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(scratch / "config"));
}

TEST_F(Cli, SettingsOptionNamingAFolderIsRefused)
{
    const std::string folder = scratch / "my settings";
    std::filesystem::create_directories(folder);
    WriteFileReplacing(folder + "/kept", Bytes{'x'});
    for (std::string options : {"", " --save-settings", " --save-settings --show-settings"}) {
        Outcome run = Run("--settings '" + folder + "'" + options);
        EXPECT_EQ(run.status, 2) << options;
        EXPECT_EQ(run.err, "tessolo-cli: --settings: " + folder + " is a folder, not a settings file\n");
    }
    EXPECT_EQ(Slurp(folder + "/kept"), "x");
    EXPECT_FALSE(std::filesystem::exists(folder + ".bad"));
}

TEST_F(Cli, FileNamesReachTheTerminalWithTheirControlCharactersEscaped)
{
    const std::string hostile = "\x1b]0;owned\x07\x1b[2J";
    Add(hostile + " a.bmp", 4, 4, kBlack);
    Add(hostile + "-a.bmp", 4, 4, kBlack);  // the same class: a warning names both files
    Add("\x9b" "2J.bmp", 4, 4, kBlack);      // not UTF-8
    Outcome run = Run("--type bmp " + images.Path().string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("tessolo-cli: warning: \\x1b]0;owned\\x07\\x1b[2J-a.bmp gets the class "
                           "\"sprite-\\x1b]0;owned\\x07\\x1b[2J-a\" that \\x1b]0;owned\\x07\\x1b[2J a.bmp"),
              std::string::npos) << run.err;
    for (const std::string& shown : {run.out, run.err})
        EXPECT_EQ(shown.find_first_of("\x1b\x07\x9b"), std::string::npos) << shown;

    Outcome failed = Run("--type bmp " + images.Path().string() + " '" + hostile + ".bmp'");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Cannot open file " + (images / "\\x1b]0;owned\\x07\\x1b[2J.bmp")),
              std::string::npos) << failed.err;
}

// A project file in the folder: its values come over the store's and under
// the command line's, its paths are taken from its folder, and the store
// never takes its values.
class ProjectFile : public Cli {
protected:
    void Write(const std::string& text)
    {
        WriteFileReplacing(images / "tessolo.toml", Bytes(text.begin(), text.end()));
    }
    std::string Folder() { return images.Path().string(); }
};

TEST_F(ProjectFile, ComesBetweenTheStoreAndTheCommandLine)
{
    Add("a.bmp", 4, 4, kBlack);
    Add("b.bmp", 2, 2, kBlack);
    ASSERT_EQ(Run("--save-settings --show-settings --type bmp --layout vertical --vpad 1").status, 0);
    const std::string list = "{{#images}}{{file}} {{x}}\n{{/images}}";
    std::filesystem::create_directory(images / "t");
    WriteFileReplacing(images / "t/list.txt.mustache", Bytes(list.begin(), list.end()));
    Write("# a project\nlayout = \"horizontal\"\nhpad = 2\nout = \"../web\"\n"
          "template = [\"t/list.txt.mustache\"]\nfiles = [\"b.bmp\", \"a.bmp\"]\n");

    Outcome shown = Run("--show-settings --hpad 3 " + Folder());
    EXPECT_NE(shown.out.find("Project file: " + (images / "tessolo.toml")), std::string::npos);
    for (const char* line : {"  --layout          horizontal  (tessolo.toml)\n",
                             "  --hpad            3  (command line)\n",
                             "  --vpad            1\n"})
        EXPECT_NE(shown.out.find(line), std::string::npos) << line << shown.out;

    // Run from elsewhere: the paths are the file's, the files in its order.
    Outcome built = Run("-q --save-settings --vpad 4 " + Folder(), scratch.Path().string());
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err, "");
    const std::filesystem::path web = images.Path().parent_path() / "web";
    EXPECT_TRUE(std::filesystem::exists(web / "sprite.bmp"));
    EXPECT_EQ(Slurp(web / "sprite.txt"), "b.bmp 0\na.bmp 4\n");
    std::filesystem::remove_all(web);
    EXPECT_NE(Run("--show-settings").out.find("  --layout          vertical\n"), std::string::npos)
        << "the store took the project file's layout";
}

struct BadProject {
    const char* label;
    const char* text;
    const char* message;  // after "<file>, line N: "
};
void PrintTo(const BadProject& c, std::ostream* out) { *out << c.label; }

class BadProjectFile : public ProjectFile, public ::testing::WithParamInterface<BadProject> {};

TEST_P(BadProjectFile, IsAnErrorNamingTheKeyAndItsLineAndNothingIsBuilt)
{
    Add("a.bmp", 4, 4, kBlack);
    Write(std::string("type = \"bmp\"\n\n") + GetParam().text + "\n");
    Outcome run = Run(Folder());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.find("tessolo-cli: " + (images / "tessolo.toml") + ", line 3: " +
                           GetParam().message),
              0u)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.css"));
}

const BadProject kBadProjects[] = {
    {"UnknownKey", "layuot = \"grid\"", "unknown key layuot"},
    {"NotAKeyOfAFile", "watch = true", "unknown key watch"},
    {"TextForANumber", "hpad = \"3\"", "hpad: needs a whole number"},
    {"NumberOutOfRange", "hpad = 70000", "hpad: '70000' is not a whole number from -65535"},
    {"WordNotAChoice", "layout = \"zigzag\"", "layout: 'zigzag' is not one of horizontal"},
    {"NumberForASwitch", "dedupe = 1", "dedupe: needs true or false"},
    {"ArrayOfWrongItems", "data = [true]", "data: needs a text in quotes or an array of them"},
    {"FilesNotAnArray", "files = \"a.bmp\"", "files: needs an array of file names"},
    {"NotToml", "hpad = = 3", ""},
};
INSTANTIATE_TEST_SUITE_P(, BadProjectFile, ::testing::ValuesIn(kBadProjects),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProjectFile, InitWritesTheEffectiveOptionsOnceAndTheyReadBack)
{
    Add("a.bmp", 4, 4, kBlack);
    Outcome init = Run("--init --type bmp --layout packed --data scss --out ../img --class .i " +
                       Folder(), images.Path().string());
    ASSERT_EQ(init.status, 0) << init.err;
    const std::string text = Slurp(images / "tessolo.toml");
    for (const char* line : {"layout = 'packed'\n", "data = ['scss']\n", "out = '../img'\n",
                             "class = '.i'\n", "dedupe = false\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_FALSE(std::filesystem::exists(images / "sprite.css")) << "--init builds nothing";

    Outcome again = Run("--init " + Folder());
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(Slurp(images / "tessolo.toml"), text);

    ASSERT_EQ(Run(Folder()).status, 0);
    const std::filesystem::path img = images.Path().parent_path() / "img";
    EXPECT_NE(Slurp(img / "sprite.css").find(".i-a "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(img / "sprite.scss"));
    std::filesystem::remove_all(img);
}

// A build stopped by a signal removes its temporary files and keeps the
// previous outputs; one killed outright leaves its temporary files to the
// next build in the folder, which removes them.
class StoppedBuild : public Cli, public ::testing::WithParamInterface<int> {};

TEST_P(StoppedBuild, KeepsThePreviousOutputsAndLeavesNoTemporaryFile)
{
    const int signal = GetParam();
    Add("small.bmp", 4, 4, kBlack);
    Add("big.bmp", 1024, 1024, MakeColor(0, 90, 200));
    const std::string folder = images.Path().string();
    ASSERT_EQ(Run("--type bmp " + folder + " small.bmp").status, 0);
    const std::string css = Slurp(images / "sprite.css"), sheet = Slurp(images / "sprite.bmp");

    // Each large image takes a while to read and shrink: a long build.
    std::string many;
    for (int i = 0; i < 300; ++i) {
        std::string name = "big" + std::to_string(i) + ".bmp";
        std::filesystem::create_hard_link(images / "big.bmp", images / name);
        many += " " + name;
    }
    {
        test::CliProcess cli(scratch, "--type bmp --resize 5% " + folder + many);
        ASSERT_TRUE(test::Eventually([&] { return !cli.Out().empty(); })) << cli.Err();
        const int status = cli.EndWith(signal);
        if (signal == SIGKILL) {
            EXPECT_FALSE(test::TemporaryFilesIn(images.Path()).empty());
            ASSERT_EQ(Run("--type bmp --name other " + folder + " small.bmp").status, 0);
        } else {
            EXPECT_EQ(status, 128 + signal) << cli.Err();
            EXPECT_NE(cli.Err().find("tessolo-cli: The build was stopped; the previous outputs are "
                                     "unchanged.\n"),
                      std::string::npos) << cli.Err();
        }
    }
    EXPECT_EQ(test::TemporaryFilesIn(images.Path()), std::vector<std::string>{});
    EXPECT_EQ(Slurp(images / "sprite.css"), css);
    EXPECT_EQ(Slurp(images / "sprite.bmp"), sheet);
}

INSTANTIATE_TEST_SUITE_P(, StoppedBuild, ::testing::Values(SIGINT, SIGTERM, SIGKILL),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST_F(Cli, HelpAndVersion)
{
    Outcome help = Run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: tessolo-cli [options] [FOLDER [FILE...]]"), std::string::npos);
    Outcome version = Run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tessolo-cli " + test::ProgramVersion() + "\n");
}

}  // namespace
}  // namespace tessolo
