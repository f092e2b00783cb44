// The optimised sheet encoder: each form it picks decodes, with libpng, to
// exactly the pixels of the default encoder's file (or of the alpha sheet),
// interlaced or not; the form is the smallest that holds the sheet; the
// chunks are those of the default encoder; the flag is off by default; each
// compressor of the image data writes a stream that inflates to the data.
#include "codecs/png/png_codec.h"
#include "codecs/png/png_deflate.h"
#include "codecs/png/png_deflate_blocks.h"
#include "codecs/png/png_optimize.h"
#include "codecs/png/png_scanlines.h"
#include "codecs/png/png_sheet_form.h"
#include "platform/error.h"
#include "png_test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>
#include <zopfli/deflate.h>
#include <zopfli/zopfli.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <optional>
#include <span>
#include <stdexcept>
#include <tuple>
#include <random>

namespace tessolo {
namespace {

using test::ListChunks;

// Builds a sheet of `width` x `height` from a colour per pixel; 32-bit
// sheets carry the colour's top byte as straight alpha.
Bitmap Sheet(int width, int height, bool withAlpha, const std::function<std::uint32_t(int, int)>& rgba)
{
    Bitmap sheet(width, height, withAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    sheet.HasAlpha = withAlpha;
    int bytes = withAlpha ? 4 : 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t c = rgba(x, y);
            std::uint8_t* p = sheet.ScanLine(y) + std::size_t(x) * std::size_t(bytes);
            p[0] = std::uint8_t(c >> 16);
            p[1] = std::uint8_t(c >> 8);
            p[2] = std::uint8_t(c);
            if (withAlpha)
                p[3] = std::uint8_t(c >> 24);
        }
    return sheet;
}

std::uint32_t Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return 0xFF000000u | std::uint32_t(b) << 16 | std::uint32_t(g) << 8 | r;
}

// The pixels of a sheet in libpng's RGBA order.
std::vector<std::uint8_t> PixelsOf(const Bitmap& sheet)
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x) {
            std::size_t bytes = sheet.Format() == PixelFormat::Bits32 ? 4 : 3;
            const std::uint8_t* p = sheet.ScanLine(y) + std::size_t(x) * bytes;
            pixels.insert(pixels.end(), {p[2], p[1], p[0], sheet.HasAlpha ? p[3] : std::uint8_t(255)});
        }
    return pixels;
}

PngSheetOptions Prefs(bool optimize, bool interlaced)
{
    return {.interlace = interlaced, .optimize = optimize};
}

struct Form {
    int colorType;
    int bitDepth;
};

Form FormOf(const Bytes& file)
{
    Bytes ihdr = ListChunks(file).at(0).data;
    return {ihdr.at(9), ihdr.at(8)};
}

struct Case {
    const char* name;
    Bitmap sheet;
    Form form;
};

std::uint32_t Grey(int level)
{
    auto v = std::uint8_t(level);
    return Opaque(v, v, v);
}

std::uint32_t WithAlpha(std::uint32_t rgb, int alpha)
{
    return (rgb & 0xFFFFFF) | std::uint32_t(std::uint8_t(alpha)) << 24;
}

std::vector<Case> Cases()
{
    const int w = 37, h = 23;  // partial Adam7 blocks and padded packed rows
    auto ramp = [](int x, int y) {
        return Opaque(std::uint8_t(x * 7), std::uint8_t(y * 11), std::uint8_t((x ^ y) * 5));
    };
    Bitmap noAlpha = Sheet(w, h, true, [&](int x, int y) { return WithAlpha(ramp(x, y), 0); });
    noAlpha.HasAlpha = false;  // the fourth byte (0 here) is not alpha

    std::vector<Case> cases;
    cases.push_back({"RGB", Sheet(w, h, false, ramp), {2, 8}});
    auto translucent = [&](int x, int y) { return WithAlpha(ramp(x, y), x * y); };
    cases.push_back({"RGBA", Sheet(w, h, true, translucent), {6, 8}});
    cases.push_back({"opaque 32-bit sheet", Sheet(w, h, true, ramp), {2, 8}});
    cases.push_back({"32-bit sheet without alpha", noAlpha, {2, 8}});
    cases.push_back({"2 colours", Sheet(w, h, false, [](int x, int y) {
                         return (x + y) % 3 ? Opaque(200, 10, 10) : Opaque(255, 255, 255);
                     }), {3, 1}});
    cases.push_back({"4 colours", Sheet(w, h, false, [](int x, int y) {
                         return Opaque(std::uint8_t((x + 2 * y) % 4 * 60), 30, 90);
                     }), {3, 2}});
    cases.push_back({"16 colours", Sheet(w, h, false, [](int x, int y) {
                         return Opaque(std::uint8_t(x % 4 * 40), std::uint8_t(y % 4 * 50), 7);
                     }), {3, 4}});
    // Colours scattered over a sheet large enough that the palette pays for itself.
    std::mt19937 random(5);
    cases.push_back({"256 colours", Sheet(4 * w, 4 * h, false, [&](int, int) {
                         unsigned i = random() % 256;
                         return Opaque(std::uint8_t(i * 167 + 3), std::uint8_t(i), std::uint8_t(i * i));
                     }), {3, 8}});
    cases.push_back({"palette with alpha", Sheet(w, h, true, [](int x, int y) {
                         return WithAlpha(0x3366CC, (x + y) % 5 * 60);
                     }), {3, 4}});
    auto grey = [&](auto level) {
        return Sheet(w, h, false, [&](int x, int y) { return Grey(level(x, y)); });
    };
    cases.push_back({"black and white", grey([](int x, int y) { return (x * y) % 2 * 255; }), {0, 1}});
    cases.push_back({"grey, 2 bits", grey([](int x, int) { return x % 4 * 85; }), {0, 2}});
    cases.push_back({"grey, 4 bits", grey([](int x, int y) { return (x + y) % 16 * 17; }), {0, 4}});
    cases.push_back({"grey, 8 bits", grey([](int x, int y) { return x * 7 + y; }), {0, 8}});
    cases.push_back({"grey + alpha", Sheet(w, h, true, [](int x, int y) {
                         return WithAlpha(Grey(x * 7 + y), y * 11);
                     }), {4, 8}});
    cases.push_back({"few colours, transparent pixels of every colour", Sheet(w, h, true, [&](int x, int y) {
                         return x % 4 ? Opaque(std::uint8_t(x % 4 * 80), 5, 5) : WithAlpha(ramp(x, y), 0);
                     }), {3, 2}});
    cases.push_back({"a single pixel", Sheet(1, 1, false, [](int, int) { return Opaque(1, 2, 3); }), {3, 1}});
    return cases;
}

// The pixels, with the colour of those of alpha 0 made 0: that colour is free.
std::vector<std::uint8_t> Visible(std::vector<std::uint8_t> rgba)
{
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        if (rgba[i + 3] == 0)
            rgba[i] = rgba[i + 1] = rgba[i + 2] = 0;
    return rgba;
}

TEST(PngOptimize, EveryFormDecodesToTheDefaultEncodersPixels)
{
    for (Case& c : Cases())
        for (bool interlaced : {false, true})
            for (bool max : {false, true}) {
                SCOPED_TRACE(std::string(c.name) + (interlaced ? ", interlaced" : "") + (max ? ", max" : ""));
                PngSheetOptions options = Prefs(true, interlaced);
                options.exhaustive = max;
                Bytes optimized = EncodePngSheet(c.sheet, options);
                Form form = FormOf(optimized);
                EXPECT_EQ(form.colorType, c.form.colorType);
                EXPECT_EQ(form.bitDepth, c.form.bitDepth);
                EXPECT_EQ(ListChunks(optimized)[0].data[12], interlaced ? 1 : 0);
                test::Rgba ours = test::ReadPng(optimized);
                ASSERT_EQ(ours.width, c.sheet.Width());
                ASSERT_EQ(ours.height, c.sheet.Height());
                // The default encoder drops alpha: sheets with alpha compare with the sheet.
                std::vector<std::uint8_t> expected =
                    c.sheet.HasAlpha ? PixelsOf(c.sheet)
                                     : test::ReadPng(EncodePngSheet(c.sheet, Prefs(false, interlaced))).pixels;
                EXPECT_EQ(Visible(ours.pixels), Visible(expected));
            }
}

// Rows filtered in ranges, each seeded with the row above it, are the bytes
// of the whole image, for every form and filter choice.
TEST(PngOptimize, RowRangesFilterAsWithinTheWholeImage)
{
    for (Case& c : Cases())
        for (const PngSheetForm& form : SheetFormCandidates(c.sheet, false))
            for (RowFilterChoice choice : kRowFilterChoices)
                for (bool interlaced : {false, true}) {
                    SCOPED_TRACE(std::string(c.name) + (interlaced ? ", interlaced" : ""));
                    const Bytes whole = FilteredImage(c.sheet, form, interlaced, choice);
                    Bytes pieces(whole.size());
                    for (const ScanlinePass& pass : ScanlinePasses(c.sheet, form, interlaced)) {
                        int first = 0;
                        for (int end : {1, std::max(1, pass.rows / 2), pass.rows}) {
                            FilterPassRows(c.sheet, form, choice, pass, first, end,
                                           pieces.data() + pass.offset + std::size_t(first) * pass.rowBytes);
                            first = end;
                        }
                    }
                    EXPECT_EQ(pieces, whole);
                }
}

// A sheet large enough that its candidates are compared on bands of rows
// still writes all of its rows; one larger still is written in pieces, an
// IDAT chunk each, that make one stream of every row. Interlaced, its
// passes' rows are filtered range by range as they are compressed.
TEST(PngOptimize, LargeSheetsDecodeToTheirPixels)
{
    // Icons on a transparent background, whose image data shrinks enough for
    // level 12's blocks to be merged across its parts, and an opaque picture
    // of many colours, whose parts are written on their own.
    for (auto [side, chunks, picture, interlaced] :
         {std::tuple(2048, 3, false, false), std::tuple(2048, 3, false, true), std::tuple(4200, 2 + 17, false, false),
          std::tuple(1300, 3, true, false)}) {
        SCOPED_TRACE(std::to_string(side) + (interlaced ? ", interlaced" : ""));
        Bitmap sheet = Sheet(side, side + 32, true, [picture = picture](int x, int y) {
            if (picture)
                return WithAlpha(std::uint32_t((x * 3 + y * 5) ^ (x * y >> 4)), 255);
            return (x / 64 + y / 64) % 3 ? WithAlpha(std::uint32_t(x / 64 * 977 ^ y / 64 * 131), x % 64) : 0u;
        });
        const Bytes file = EncodePngSheet(sheet, Prefs(true, interlaced));
        EXPECT_EQ(ListChunks(file).size(), std::size_t(chunks));
        test::Rgba ours = test::ReadPng(file);
        EXPECT_EQ(Visible(ours.pixels), Visible(PixelsOf(sheet)));
    }
}

// Between pieces of its work the encoder hands its sink no bytes: a sink
// that throws then stops it, exhaustive or not, before anything is written.
TEST(PngOptimize, ASinkThatThrowsStopsTheEncode)
{
    const Bitmap sheet = Sheet(300, 300, true, [](int x, int y) { return WithAlpha(std::uint32_t(x * y), 255); });
    for (bool exhaustive : {false, true}) {
        SCOPED_TRACE(exhaustive);
        int asked = 0;
        Bytes written;
        const ByteSink stopping = [&](std::span<const std::uint8_t> bytes) {
            if (bytes.empty() && ++asked == 2)
                throw std::runtime_error("stopped");
            written.insert(written.end(), bytes.begin(), bytes.end());
        };
        EXPECT_THROW(WriteOptimizedPng(sheet, {.exhaustive = exhaustive}, stopping), std::runtime_error);
        EXPECT_TRUE(written.empty());
    }
}

TEST(PngOptimize, PaletteAndGreyChoices)
{
    // 257 colours are too many for a palette.
    Bitmap many = Sheet(257, 3, false, [](int x, int) {
        return Opaque(std::uint8_t(x), x == 256 ? 9 : 0, 0);  // red wraps to 0 at x = 256
    });
    EXPECT_EQ(FormOf(EncodeOptimizedPng(many)).colorType, 2);
    // 10 grey levels that 4-bit grey cannot hold: a 4-bit palette, not 8-bit grey.
    Bitmap greys = Sheet(20, 4, false, [](int x, int) { return Grey(x % 10 * 3); });
    Form form = FormOf(EncodeOptimizedPng(greys));
    EXPECT_EQ(form.colorType, 3);
    EXPECT_EQ(form.bitDepth, 4);
    // Translucent entries come first, so tRNS lists only them.
    Bitmap mixed = Sheet(8, 2, true, [](int x, int y) {
        std::uint32_t alpha = y == 1 && x < 3 ? std::uint32_t(x * 100) : 255;
        return alpha << 24 | std::uint32_t(x * 20);
    });
    Bytes file = EncodeOptimizedPng(mixed);
    auto chunks = ListChunks(file);
    ASSERT_EQ(chunks.size(), 5u);
    EXPECT_EQ(chunks[1].type, "PLTE");
    EXPECT_EQ(chunks[1].data.size(), 11u * 3);  // 8 opaque and 3 translucent colours
    EXPECT_EQ(chunks[2].type, "tRNS");
    EXPECT_EQ(chunks[2].data, (Bytes{0, 100, 200}));
    EXPECT_EQ(test::ReadPng(file).pixels, PixelsOf(mixed));
}

TEST(PngOptimize, ChunksAndFlag)
{
    // Noise: RGB, and all its image data in one IDAT chunk.
    std::mt19937 random(3);
    Bitmap noise = Sheet(300, 300, false, [&](int, int) { return std::uint32_t(random()) | 0xFF000000u; });
    auto chunks = ListChunks(EncodeOptimizedPng(noise));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_GT(chunks[1].data.size(), 270000u);
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());
    EXPECT_TRUE(EncodeOptimizedPng(Bitmap()).empty());
    EXPECT_TRUE(EncodePngSheet(Bitmap(0, 4), Prefs(true, false)).empty());

    // Off by default.
    Bitmap sheet = Cases()[0].sheet;
    EXPECT_EQ(FormOf(EncodePngSheet(sheet, {})).colorType, 2);
    EXPECT_NE(EncodePngSheet(sheet, {}), EncodePngSheet(sheet, Prefs(true, false)));
}

TEST(PngOptimize, TypicalSheetsAreSmaller)
{
    // A strip of ten 40 x 40 icons with a soft shade, on white, 5 pixels apart.
    Bitmap strip = Sheet(445, 40, false, [](int x, int y) {
        int icon = x / 45, u = x % 45;
        if (u >= 40)
            return Opaque(255, 255, 255);
        int d = (u - 20) * (u - 20) + (y - 20) * (y - 20);
        if (d > 324)
            return Opaque(255, 255, 255);
        return Opaque(std::uint8_t(icon * 20 + d / 3), std::uint8_t(120 + u), std::uint8_t(200 - y));
    });
    for (bool interlaced : {false, true}) {
        std::size_t plain = EncodePngSheet(strip, Prefs(false, interlaced)).size();
        std::size_t optimized = EncodePngSheet(strip, Prefs(true, interlaced)).size();
        EXPECT_LT(optimized, plain * 9 / 10) << optimized << " against " << plain;
    }
}

// What the zlib stream `stream` inflates to, of at most `most` bytes; empty
// when zlib cannot inflate it.
Bytes Inflated(const Bytes& stream, std::size_t most)
{
    Bytes inflated(most + 1);
    uLongf size = uLongf(inflated.size());
    if (uncompress(inflated.data(), &size, stream.data(), uLong(stream.size())) != Z_OK)
        return {};
    inflated.resize(size);
    return inflated;
}

// Each compressor of the image data writes a zlib stream of exactly the data:
// rows of runs, of a repeating ramp and of noise, as filtered rows hold.
TEST(PngOptimize, EveryCompressorInflatesToItsData)
{
    std::mt19937 random(7);
    Bytes data;
    for (int row = 0; row < 120; ++row)
        for (int k = 0; k < 600; ++k)
            data.push_back(std::uint8_t(row % 3 == 0 ? 0 : row % 3 == 1 ? k % 37 : random()));
    const std::pair<const char*, std::function<Bytes()>> compressors[] = {
        {"libdeflate", [&] { return DeflateZlib(data, kStrongestDeflateLevel); }},
        {"zlib", [&] { return DeflateZlibLazy(HeldInput(data), false); }},
        {"zlib, filtered", [&] { return DeflateZlibLazy(HeldInput(data), true); }},
        {"zopfli", [&] { return DeflateZlibExhaustive(HeldInput(data)); }},
    };
    for (const auto& [name, compress] : compressors) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Inflated(compress(), data.size()), data);
    }
}

// Rows of icons on one background: runs of one value and a few short
// ramps, each row like the one above but for a band that moves.
Bytes IconLikeRows(std::size_t rows, std::size_t width)
{
    Bytes data;
    for (std::size_t y = 0; y < rows; ++y)
        for (std::size_t x = 0; x < width; ++x)
            data.push_back(std::uint8_t((x + y) % 512 < 40 ? (x * 7 + y / 64) % 251 : 0));
    return data;
}

// Zopfli, given the data a part and its window at a time, two at once,
// writes the stream it makes of the parts one after another. (The data
// shrinks less than 32 times, so its blocks are not merged.)
TEST(PngOptimize, ExhaustiveStreamsAreZopflisOwn)
{
    // Six parts of zero rows with six noise rows in every sixty: matches
    // across the borders, blocks that zopfli stores where a part starts
    // within a byte of the stream, blocks that end within a byte, and quick
    // for zopfli.
    const std::size_t width = 1400;
    std::mt19937 random(5);
    Bytes data;
    for (int row = 0; row < 1700; ++row)
        for (std::size_t x = 0; x < width; ++x)
            data.push_back(row % 60 < 6 ? std::uint8_t(random()) : 0);
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char* out = nullptr;
    unsigned char bit = 0;
    std::size_t size = 0;
    for (std::size_t at = 0; at < data.size(); at += kExhaustivePartBytes) {
        const std::size_t end = std::min(data.size(), at + kExhaustivePartBytes);
        ZopfliDeflatePart(&options, 2, end == data.size(), data.data(), at, end, &bit, &out, &size);
    }
    Bytes whole{0x78, 0xDA};
    whole.insert(whole.end(), out, out + size);
    std::free(out);
    AppendBigEndian32(whole, std::uint32_t(adler32(1, data.data(), uInt(data.size()))));
    EXPECT_EQ(DeflateZlibExhaustive(HeldInput(data)), whole);
}

// `data` deflated by zlib with `strategy`, flushed every `piece` bytes:
// each flush ends a block and adds an empty stored one.
Bytes ZlibInPieces(const Bytes& data, int strategy, std::size_t piece)
{
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 15, 9, strategy), Z_OK);
    Bytes packed(deflateBound(&z, uLong(data.size())) + data.size() / piece * 16 + 64);
    z.next_out = packed.data();
    z.avail_out = uInt(packed.size());
    for (std::size_t at = 0; at < data.size(); at += piece) {
        z.next_in = const_cast<Bytef*>(data.data() + at);
        z.avail_in = uInt(std::min(piece, data.size() - at));
        EXPECT_NE(deflate(&z, at + piece >= data.size() ? Z_FINISH : Z_SYNC_FLUSH), Z_STREAM_ERROR);
    }
    packed.resize(z.total_out);
    deflateEnd(&z);
    return packed;
}

// Merging the blocks of a stream that ends them often keeps every byte of
// the data and makes the stream smaller, whatever kinds of blocks it holds;
// a stream that its data barely shrinks is left as it is. Streams of parts
// join into one.
TEST(PngOptimize, MergedBlocksAreSmallerAndInflateToTheData)
{
    const Bytes rows = IconLikeRows(1200, 1400);
    const std::pair<const char*, Bytes> streams[] = {
        {"libdeflate", DeflateZlib(rows, kStrongestDeflateLevel)},
        {"dynamic and stored", ZlibInPieces(rows, Z_DEFAULT_STRATEGY, 32 * 1024)},
        {"fixed and stored", ZlibInPieces(rows, Z_FIXED, 32 * 1024)},
    };
    for (const auto& [name, stream] : streams) {
        SCOPED_TRACE(name);
        const Bytes merged = MergeDeflateBlocks(stream, HeldInput(rows));
        EXPECT_LT(merged.size(), stream.size());
        EXPECT_EQ(Inflated(merged, rows.size()), rows);
    }
    // Parts compressed on their own, each after the window before it, join
    // into one stream of the whole: merged across the parts, almost as small
    // as one compressed whole (without the windows, 90 % larger), as matches
    // that begin in the window and end in the part keep their bytes there;
    // or each part written on its own. A part that is no stream, or a join
    // whose checksum does not hold, gives nothing.
    const HeldInput input(rows);
    const Bytes whole = MergeDeflateBlocks(DeflateZlib(rows, kStrongestDeflateLevel), input);
    for (bool onItsOwn : {false, true}) {
        SCOPED_TRACE(onItsOwn ? "each on its own" : "merged across");
        std::vector<DeflateBlocks> parts;
        for (std::size_t at = 0, part = 0; at < rows.size(); ++part) {
            const std::size_t size = std::min(rows.size() - at, 997 + part * 6151 % 20011);
            const std::size_t lead = std::min(at, kDeflateWindow);
            const InputBytes bytes = input.Range(at - lead, at + size);
            std::optional<DeflateBlocks> read =
                ReadPartBlocks(DeflateZlib(bytes.View(), kStrongestDeflateLevel), bytes.View(), lead);
            ASSERT_TRUE(read);
            at += size;
            if (onItsOwn)
                WriteOnItsOwn(*read, at == rows.size());
            parts.push_back(std::move(*read));
        }
        const std::optional<Bytes> joined = JoinDeflateParts(parts);
        ASSERT_TRUE(joined);
        if (!onItsOwn) {
            EXPECT_LT(joined->size(), whole.size() * 105 / 100) << joined->size() << " against " << whole.size();
        }
        EXPECT_EQ(Inflated(*joined, rows.size()), rows);
        parts[1].adler ^= 1;
        EXPECT_FALSE(JoinDeflateParts(parts));
    }
    Bytes cut = DeflateZlib(rows, kStrongestDeflateLevel);
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(ReadPartBlocks(cut, rows, 0));
    // Parts of every size and kind of block, made open-ended, follow each
    // other in one stream whatever bit each ends on.
    Bytes joinedParts = {0x78, 0xDA};
    std::size_t at = 0;
    for (std::size_t part = 0; at < rows.size(); ++part) {
        const std::size_t size = std::min(rows.size() - at, 997 + part * 6151 % 20011);
        const Bytes piece(rows.begin() + std::ptrdiff_t(at), rows.begin() + std::ptrdiff_t(at + size));
        const Bytes stream = part % 3 == 0 ? DeflateZlib(piece, int(1 + part % 12))
                             : part % 3 == 1 ? ZlibInPieces(piece, Z_FIXED, 4096)
                                             : DeflateZlibLazy(HeldInput(piece), false);
        at += size;
        const Bytes open = at < rows.size() ? OpenEndedDeflate(stream) : Bytes(stream.begin() + 2, stream.end() - 4);
        joinedParts.insert(joinedParts.end(), open.begin(), open.end());
    }
    const std::uint32_t adler = Adler32(rows);
    joinedParts.insert(joinedParts.end(), {std::uint8_t(adler >> 24), std::uint8_t(adler >> 16),
                                           std::uint8_t(adler >> 8), std::uint8_t(adler)});
    EXPECT_EQ(Inflated(joinedParts, rows.size()), rows);
    EXPECT_THROW(OpenEndedDeflate(cut), Error);

    std::mt19937 random(3);
    Bytes noise(1 << 16);
    for (std::uint8_t& byte : noise)
        byte = std::uint8_t(random());
    const Bytes stream = ZlibInPieces(noise, Z_DEFAULT_STRATEGY, 4096);
    EXPECT_EQ(MergeDeflateBlocks(stream, HeldInput(noise)), stream);
}

}  // namespace
}  // namespace tessolo

namespace tessolo {
namespace {

// A lossy palette keeps at most the colours asked for, fully transparent
// and opaque pixels as they were (given room for the three alpha levels),
// and comes close to the sheet; dithering changes how the error is spread.
TEST(PngPalette, HoldsAtMostTheColoursAskedAndKeepsTheAlpha)
{
    const Bitmap sheet = Sheet(96, 24, true, [](int x, int y) -> std::uint32_t {
        if (x < 16)
            return 0;  // fully transparent
        const auto r = std::uint8_t(x * 2), g = std::uint8_t(y * 10), b = std::uint8_t(255 - x);
        return (y < 4 ? 0x80000000u : 0xFF000000u) | std::uint32_t(b) << 16 |
               std::uint32_t(g) << 8 | r;
    });
    const std::vector<std::uint8_t> original = PixelsOf(sheet);
    std::map<bool, test::Rgba> twoColours;
    for (int colors : {2, 16, 256})
        for (bool dither : {false, true}) {
            SCOPED_TRACE(std::to_string(colors) + (dither ? " dithered" : ""));
            const Bytes file = EncodePngSheet(sheet, {.colors = colors, .dither = dither});
            const test::Rgba read = test::ReadPng(file);
            ASSERT_EQ(read.error, "");
            const auto chunks = ListChunks(file);
            EXPECT_TRUE(std::ranges::any_of(chunks, [](const auto& c) { return c.type == "PLTE"; }));
            std::set<std::uint32_t> used;
            int worst = 0;
            for (std::size_t i = 0; i < read.pixels.size(); i += 4) {
                std::uint32_t rgba = 0;
                for (int k = 0; k < 4; ++k)
                    rgba = rgba << 8 | read.pixels[i + k];
                used.insert(rgba);
                if (colors >= 16 && (original[i + 3] == 0 || original[i + 3] == 255)) {
                    ASSERT_EQ(read.pixels[i + 3], original[i + 3]) << "pixel " << i / 4;
                }
                for (int k = 0; k < 3 && original[i + 3] == 255; ++k)
                    worst = std::max(worst, std::abs(read.pixels[i + k] - original[i + k]));
            }
            EXPECT_LE(used.size(), std::size_t(colors));
            if (colors == 256) {
                EXPECT_LE(worst, 24);
            }
            if (colors == 2)
                twoColours[dither] = read;
        }
    EXPECT_NE(twoColours[false].pixels, twoColours[true].pixels);
}

}  // namespace
}  // namespace tessolo
