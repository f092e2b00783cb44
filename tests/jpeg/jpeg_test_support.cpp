#include "jpeg_test_support.h"
#include "platform/files.h"

#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include <jpeglib.h>

namespace tessolo::test {

Bitmap TestPattern(int width, int height)
{
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Colour gradients under a light and dark checkerboard: hard
            // edges in brightness, smooth changes in hue.
            int shade = (x / 16 + y / 16) % 2 ? 40 : -40;
            int r = 40 + x * 175 / std::max(width - 1, 1) + shade;
            int g = 40 + y * 175 / std::max(height - 1, 1) + shade;
            int b = 128 + shade;
            if (x > width / 2 && y > height / 2)
                r = g = b = 200;  // a flat block
            bitmap.SetPixel(x, y, MakeColor(std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)));
        }
    }
    return bitmap;
}

RawImage RawPattern(int width, int height, int components)
{
    RawImage image{width, height, components, {}};
    image.samples.reserve(std::size_t(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                image.samples.push_back(std::uint8_t((x * (c + 1) * 9 + y * (4 - c) * 5 + c * 60) % 256));
    return image;
}

Bytes LibraryJpeg(const RawImage& image, StoredAs stored, bool progressive, bool adobeMarker)
{
    // The library's stock managers: this is test-only input generation, and
    // a failure ends the test program with the library's message.
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = image.components;
    cinfo.in_color_space = stored == StoredAs::Grey ? JCS_GRAYSCALE : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (stored == StoredAs::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    cinfo.write_Adobe_marker = adobeMarker;
    jpeg_set_quality(&cinfo, 85, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::size_t rowBytes = std::size_t(image.width) * image.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.samples.data() + cinfo.next_scanline * rowBytes);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes jpeg(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return jpeg;
}

bool DjpegAvailable()
{
    return std::system("command -v djpeg >/dev/null 2>&1") == 0;
}

namespace {

int ReadPnmNumber(std::istream& in)
{
    int value = -1;
    in >> std::ws;
    while (in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
        in >> std::ws;
    }
    in >> value;
    return value;
}

}  // namespace

Pnm DecodeWithDjpeg(const Bytes& jpeg, const std::string& options)
{
    TempDir dir;
    std::string input = dir / "in.jpg", output = dir / "out.pnm";
    WriteFileReplacing(input, jpeg);
    std::string command = "djpeg " + options + " -pnm -outfile '" + output + "' '" + input + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;

    Pnm pnm;
    std::ifstream in(output, std::ios::binary);
    std::string magic;
    in >> magic;
    pnm.channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    pnm.width = ReadPnmNumber(in);
    pnm.height = ReadPnmNumber(in);
    int maxValue = ReadPnmNumber(in);
    in.get();  // the single white-space byte before the samples
    EXPECT_TRUE(pnm.channels != 0 && maxValue == 255) << "unexpected output " << magic;
    pnm.samples.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EXPECT_EQ(pnm.samples.size(), std::size_t(pnm.width) * pnm.height * pnm.channels);
    return pnm;
}

JpegStructure ReadStructure(const Bytes& jpeg)
{
    static const int kZigzagToNatural[64] = {
        0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
        12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
        35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
        58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    JpegStructure structure;
    auto fail = [&](const char* what) {
        ADD_FAILURE() << what;
        return structure;
    };
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return fail("no SOI");
    std::size_t pos = 2;
    while (pos + 2 <= jpeg.size()) {
        if (jpeg[pos] != 0xFF)
            return fail("marker expected");
        int marker = jpeg[pos + 1];
        if (marker == 0xD9)
            return structure;
        if (pos + 4 > jpeg.size())
            break;
        std::size_t length = std::size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
        std::size_t body = pos + 4, next = pos + 2 + length;
        if (length < 2 || next > jpeg.size())
            return fail("segment overruns the file");
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            structure.frameMarker = marker;
        if (marker == 0xDB) {
            for (std::size_t at = body; at + 65 <= next; at += 65) {
                if (jpeg[at] >> 4 != 0)
                    return fail("16-bit quantisation table");
                std::size_t slot = jpeg[at] & 0x0F;
                if (structure.quantTables.size() <= slot)
                    structure.quantTables.resize(slot + 1);
                for (int k = 0; k < 64; ++k)
                    structure.quantTables[slot][std::size_t(kZigzagToNatural[k])] = jpeg[at + 1 + std::size_t(k)];
            }
        }
        if (marker == 0xDA) {
            // Entropy-coded data runs to the next marker that is neither a
            // stuffed zero nor a restart marker.
            while (next + 1 < jpeg.size() &&
                   !(jpeg[next] == 0xFF && jpeg[next + 1] != 0x00 && (jpeg[next + 1] & 0xF8) != 0xD0))
                ++next;
            structure.scans.push_back({pos, next});
        }
        pos = next;
    }
    return fail("no EOI");
}

}  // namespace tessolo::test
