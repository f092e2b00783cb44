// Source files are judged by their first bytes and their size before they
// are read: a 3 GB file costs neither its size in memory nor the time to
// read it.
#include "codecs/bmp/bmp_codec.h"
#include "codecs/gif/gif_codec.h"
#include "codecs/gif/gif_messages.h"
#include "codecs/jpeg/jpeg_codec.h"
#include "codecs/jpeg/jpeg_error.h"
#include "codecs/png/png_codec.h"
#include "codecs/png/png_errors.h"
#include "codecs/svg/svg_codec.h"
#include "codecs/webp/webp_codec.h"
#include "platform/error.h"
#include "platform/files.h"
#include "sprite/image_formats.h"
#include "support/images.h"
#include "support/memory_limit.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>
#include <webp/encode.h>

namespace tessolo {
namespace {

constexpr off_t kHugeFileBytes = 3'000'000'000;
constexpr long long kMaxAddedPeakBytes = 64 << 20;

struct SourceCase {
    const char* extension;
    Bytes (*smallFile)();          // a valid file of a 2 x 2 picture
    std::string badSignatureError;  // what a file of zeros is refused with
};

void PrintTo(const SourceCase& source, std::ostream* out) { *out << source.extension; }

Bitmap SmallPicture() { return test::Solid(2, 2, MakeColor(200, 30, 90)); }

Bytes SmallWebp()
{
    const Bitmap picture = SmallPicture();
    std::uint8_t* out = nullptr;
    const std::size_t size =
        WebPEncodeLosslessBGR(picture.ScanLine(0), 2, 2, int(picture.Stride()), &out);
    Bytes file(out, out + size);
    WebPFree(out);
    return file;
}

Bytes SmallSvg()
{
    const std::string text = R"(<svg xmlns="http://www.w3.org/2000/svg" width="2" height="2"/>)";
    return Bytes(text.begin(), text.end());
}

const SourceCase kCases[] = {
    {".png", [] { return EncodePngSheet(SmallPicture(), {}); }, EPNGInvalidFileHeader().what()},
    {".jpg", [] { return EncodeJpegSheet(SmallPicture(), {}); }, JpegError(JERR_NO_SOI).what()},
    {".gif", [] { return EncodeGifSheet(SmallPicture(), {}); }, gifmsg::sBadSignature},
    {".bmp", [] { return EncodeBmp(SmallPicture(), kBmp24Bits); }, InvalidGraphic().what()},
    {".webp", SmallWebp, WebpError("the file is not a WebP picture").what()},
    {".svg", SmallSvg, SvgError("the file is not an SVG document").what()},
};

class HugeSourceFile : public ::testing::TestWithParam<SourceCase> {
protected:
    // Writes `start` and extends the file, sparsely, to 3 GB; false when the
    // file system cannot hold such a file without writing it.
    bool MakeHugeFile(const Bytes& start)
    {
        path = dir / (std::string("x") + GetParam().extension);
        WriteFileReplacing(path, start);
        int fd = ::open(path.c_str(), O_WRONLY);
        bool extended = fd >= 0 && ::ftruncate(fd, kHugeFileBytes) == 0;
        struct stat st {};
        bool sparse = extended && ::fstat(fd, &st) == 0 && st.st_blocks * 512 < (1 << 20);
        if (fd >= 0)
            ::close(fd);
        return sparse;
    }

    // Loads the file as the build does, in a child: its error text, and the
    // memory the child's peak adds to this process's.
    std::pair<std::string, long long> LoadInChild()
    {
        int pipe[2];
        EXPECT_EQ(::pipe(pipe), 0);
        test::MeasuredRun run = test::RunMeasuringPeak([&] {
            std::string text = "(loaded)";
            try {
                FormatForExtension(GetParam().extension)->loadSource(path);
            } catch (const std::exception& error) {
                text = error.what();
            }
            return ::write(pipe[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 1;
        });
        ::close(pipe[1]);
        std::string text;
        char chunk[256];
        for (ssize_t got; (got = ::read(pipe[0], chunk, sizeof chunk)) > 0;)
            text.append(chunk, std::size_t(got));
        ::close(pipe[0]);
        EXPECT_EQ(run.exitCode, 0);
        return {text, run.addedPeakBytes};
    }

    test::TempDir dir;
    std::string path;
};

#define TESSOLO_SKIP_WITHOUT_SPARSE_FILES(made) \
    if (!(made))                                \
        GTEST_SKIP() << "the temporary folder's file system does not keep sparse files"

TEST_P(HugeSourceFile, WithABadSignatureIsRefusedForItsSignature)
{
    TESSOLO_SKIP_WITHOUT_SPARSE_FILES(MakeHugeFile({}));
    auto [error, peak] = LoadInChild();
    EXPECT_EQ(error, GetParam().badSignatureError);
    EXPECT_LT(peak, kMaxAddedPeakBytes);
}

TEST_P(HugeSourceFile, WithAValidHeaderIsRefusedForItsSize)
{
    TESSOLO_SKIP_WITHOUT_SPARSE_FILES(MakeHugeFile(GetParam().smallFile()));
    auto [error, peak] = LoadInChild();
    EXPECT_EQ(error.rfind("The file " + path + " is too large for a ", 0), 0u) << error;
    EXPECT_NE(error.find("raster limit"), std::string::npos) << error;
    EXPECT_LT(peak, kMaxAddedPeakBytes);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, HugeSourceFile, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.extension + 1); });

}  // namespace
}  // namespace tessolo
