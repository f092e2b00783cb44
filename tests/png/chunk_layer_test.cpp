// The chunk layer: file framing, the chunk class registry, the rules for
// reading, skipping and rejecting chunks, and the list operations.
#include "codecs/png/pngimage.h"
#include "png_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessolo {
namespace {

using test::Chunk;
using test::Concat;
using test::Ihdr;
using test::PngFile;
using test::SimplePng;

// A valid 2 x 2 8-bit gray image.
Bytes SmallGray(const std::vector<Bytes>& extra = {})
{
    return SimplePng(2, 2, 8, 0, {0, 10, 20, 0, 30, 40}, extra);
}

template <class E>
void ExpectLoadFails(const Bytes& file, const char* what)
{
    TPNGObject png;
    EXPECT_THROW(png.LoadFromStream(file), E) << what;
}

TEST(PngChunkLayer, FramingFaultsRaiseTheirErrors)
{
    Bytes good = SmallGray();
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        TPNGObject png;
        EXPECT_THROW(png.LoadFromStream(bad), EPNGInvalidFileHeader) << "byte " << i;
        EXPECT_TRUE(png.GetEmpty());
    }
    ExpectLoadFails<EPNGInvalidFileHeader>(Bytes(good.begin(), good.begin() + 5), "short signature");
    ExpectLoadFails<EPngUnexpectedEnd>(Bytes(good.begin(), good.begin() + 8), "nothing after signature");
    ExpectLoadFails<EPngUnexpectedEnd>(Bytes(good.begin(), good.end() - 12), "no IEND");
    ExpectLoadFails<EPNGIHDRNotFirst>(PngFile({Chunk("gAMA", {0, 1, 0x86, 0xA0}), Ihdr(1, 1, 8, 0)}), "gAMA first");
    ExpectLoadFails<EPNGNoImageData>(PngFile({Ihdr(1, 1, 8, 0), Chunk("IEND", {})}), "no IDAT");
    ExpectLoadFails<EPngInvalidIHDR>(PngFile({Chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0}), Chunk("IEND", {})}),
                                     "12-byte IHDR");
    ExpectLoadFails<EPngInvalidIHDR>(PngFile({Ihdr(1, 1, 8, 0), Ihdr(2, 1, 8, 0), Chunk("IEND", {})}),
                                     "a second IHDR");
}

TEST(PngChunkLayer, CrcErrorKeepsTheChunksReadBefore)
{
    Bytes file = SmallGray({Chunk("tEXt", Bytes{'a', 0, 'b', 'c'})});
    // Flip one bit of the tEXt data (signature 8 + IHDR 25 + length/type 8).
    file[8 + 25 + 8 + 2] ^= 0x10;
    TPNGObject png;
    EXPECT_THROW(png.LoadFromStream(file), EPngInvalidCRC);
    ASSERT_EQ(png.Chunks.Count(), 2);
    EXPECT_EQ(png.Chunks.GetItem(0)->GetChunkName(), "IHDR");
    EXPECT_EQ(png.Chunks.GetItem(1)->GetChunkName(), "tEXt");
}

TEST(PngChunkLayer, LengthBeyondTheFileFailsTheCrcWithoutReservingIt)
{
    // A tEXt chunk claiming 4 GiB - 1 bytes, then the file ends.
    Bytes file = PngFile({Ihdr(1, 1, 8, 0), Bytes{0xFF, 0xFF, 0xFF, 0xFF, 't', 'E', 'X', 't', 'a', 0, 'b'}});
    TPNGObject png;
    EXPECT_THROW(png.LoadFromStream(file), EPngInvalidCRC);
    EXPECT_LE(png.Chunks.GetItem(1)->DataSize(), 3u);
    // The same claim on a skipped chunk just reaches the end of the file.
    Bytes skipped = PngFile({Ihdr(1, 1, 8, 0), Bytes{0xFF, 0xFF, 0xFF, 0xFF, 'c', 'H', 'R', 'M', 1, 2}});
    ExpectLoadFails<EPngUnexpectedEnd>(skipped, "huge cHRM");
}

TEST(PngChunkLayer, UnknownChunksAreKeptOrRefusedByTheirCriticalBit)
{
    Bytes ancillary = SmallGray({Chunk("abcD", {1, 2, 3})});
    TPNGObject png;
    png.LoadFromStream(ancillary);
    TChunk* kept = png.Chunks.GetItem(1);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->GetChunkName(), "abcD");
    EXPECT_EQ(kept->GetName(), "");  // a plain chunk
    ASSERT_EQ(kept->DataSize(), 3u);
    Bytes saved;
    png.SaveToStream(saved);
    auto chunks = test::ListChunks(saved);
    ASSERT_GE(chunks.size(), 2u);
    EXPECT_EQ(chunks[1].type, "abcD");
    EXPECT_EQ(chunks[1].data, (Bytes{1, 2, 3}));

    ExpectLoadFails<EPNGUnknownCriticalChunk>(SmallGray({Chunk("ABCD", {1})}), "ABCD");
    // Type names are case-sensitive: "Idat" is an unknown critical chunk.
    ExpectLoadFails<EPNGUnknownCriticalChunk>(SmallGray({Chunk("Idat", {1})}), "Idat");
}

// A chunk class of a program's own, for a private ancillary type.
class TChunkprVt : public TChunk {
public:
    using TChunk::TChunk;
    static const TChunkClass kClass;
    const TChunkClass& Class() const override { return kClass; }
    bool LoadFromStream(PngReader& stream, const TChunkName& name, std::uint32_t size) override
    {
        TChunk::LoadFromStream(stream, name, size);
        return Data()[0] != 0;  // a zero first byte asks the reader to stop
    }
};
const TChunkClass TChunkprVt::kClass = {"prVt", MakeChunk<TChunkprVt>};

TEST(PngChunkLayer, RegisteredClassesHandleTheirType)
{
    RegisterChunk(TChunkprVt::kClass);
    TPNGObject png;
    png.LoadFromStream(SmallGray({Chunk("prVt", {1})}));
    EXPECT_NE(png.Chunks.FindChunk<TChunkprVt>(), nullptr);
    // Returning false ends reading right there: no IEND is needed.
    Bytes stop = PngFile({Ihdr(1, 1, 8, 0), Chunk("IDAT", test::Deflate({0, 5})), Chunk("prVt", {0})});
    EXPECT_NO_THROW(png.LoadFromStream(stop));
    EXPECT_EQ(png.GetScanline(0)[0], 5);
}

TEST(PngChunkLayer, ChromaticitiesAreSkippedAndNotWritten)
{
    TPNGObject png;
    png.LoadFromStream(SmallGray({Chunk("cHRM", Bytes(32, 7))}));
    for (const auto& chunk : png.Chunks)
        EXPECT_NE(chunk->GetChunkName(), "cHRM");
    Bytes saved;
    png.SaveToStream(saved);
    for (const auto& chunk : test::ListChunks(saved))
        EXPECT_NE(chunk.type, "cHRM");
}

TEST(PngChunkLayer, SettingsAndListRules)
{
    TPNGObject png;
    png.SetMaxIdatSize(1000);
    EXPECT_EQ(png.MaxIdatSize(), 65535);
    png.SetMaxIdatSize(100000);
    EXPECT_EQ(png.MaxIdatSize(), 100000);

    png.LoadFromStream(SimplePng(1, 1, 8, 2, {0, 1, 2, 3}));
    EXPECT_THROW(png.Chunks.Add<TChunkIHDR>(), EPngError);
    EXPECT_THROW(png.Chunks.Add<TChunkPLTE>(), EPngError);
    TChunkgAMA& gamma = png.Chunks.Add<TChunkgAMA>();
    EXPECT_EQ(gamma.GetIndex(), 1);
    EXPECT_EQ(gamma.Gamma(), 1u);
    try {
        png.Chunks.Add<TChunkgAMA>();
        ADD_FAILURE() << "second gAMA added";
    } catch (const EPngError& e) {
        EXPECT_STREQ(e.what(), kPngAddExistingCriticalText);
    }
    // tRNS of an RGB image without PLTE goes right before the first IDAT.
    TChunktRNS& trns = png.Chunks.Add<TChunktRNS>();
    EXPECT_EQ(png.Chunks.GetItem(trns.GetIndex() + 1)->GetChunkName(), "IDAT");
    // Other chunks go right before IEND.
    TChunktEXt& text = png.AddtEXt("Title", "Sheet");
    EXPECT_EQ(text.GetIndex(), png.Chunks.Count() - 2);
    EXPECT_THROW(png.Header().Assign(text), EPngError);
    EXPECT_THROW(gamma.Assign(text), EPngError);
    EXPECT_FALSE(png.HasPixelInformation());
    EXPECT_EQ(png.GetPixelInformation().UnitType, TUnitType::utMeter);
    EXPECT_TRUE(png.HasPixelInformation());

    TPNGObject empty;
    try {
        empty.Chunks.Add<TChunktEXt>();
        ADD_FAILURE() << "added to an empty image";
    } catch (const EPngError& e) {
        EXPECT_STREQ(e.what(), kPngAddToInvalidImageText);
    }
    EXPECT_THROW(empty.Header(), EPNGHeaderNotPresent);
    EXPECT_EQ(empty.GetWidth(), 0);
}

TEST(PngChunkLayer, TextChunksRoundTrip)
{
    std::string longText;
    for (int i = 0; i < 500; ++i)
        longText += "line " + std::to_string(i) + "\n";
    TPNGObject png;
    png.LoadFromStream(SmallGray());
    png.AddtEXt("Author", "me");
    png.AddzTXt("Comment", longText);
    png.AddzTXt("Empty", "");
    TChunktIME& time = png.Chunks.Add<TChunktIME>();
    time.Year = 2024;
    time.Month = 2;
    time.Day = 29;
    time.Second = 59;
    TChunkpHYs& phys = png.GetPixelInformation();
    phys.PPUnitX = 3780;
    phys.PPUnitY = 2835;
    Bytes saved;
    png.SaveToStream(saved);

    TPNGObject back;
    back.LoadFromStream(saved);
    std::vector<std::pair<std::string, std::string>> texts;
    for (const auto& chunk : back.Chunks)
        if (auto* t = dynamic_cast<TChunktEXt*>(chunk.get()))
            texts.emplace_back(t->Keyword, t->Text);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], std::make_pair(std::string("Author"), std::string("me")));
    EXPECT_EQ(texts[1], std::make_pair(std::string("Comment"), longText));
    EXPECT_EQ(texts[2], std::make_pair(std::string("Empty"), std::string(" ")));
    const auto* t = back.Chunks.FindChunk<TChunktIME>();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Year, 2024);
    EXPECT_EQ(t->Day, 29);
    EXPECT_EQ(t->Second, 59);
    const auto* p = back.Chunks.FindChunk<TChunkpHYs>();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PPUnitX, 3780u);
    EXPECT_EQ(p->PPUnitY, 2835u);
    EXPECT_EQ(p->UnitType, TUnitType::utMeter);
}

TEST(PngChunkLayer, DamagedTextAndPaletteChunks)
{
    // zTXt whose compressed text is garbage loads with an empty text.
    TPNGObject png;
    png.LoadFromStream(SmallGray({Chunk("zTXt", {'k', 0, 0, 1, 2, 3, 4})}));
    const auto* z = png.Chunks.FindChunk<TChunkzTXt>();
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->Keyword, "k");
    EXPECT_EQ(z->Text, "");
    // A tEXt without a NUL keeps its bytes as the keyword.
    png.LoadFromStream(SmallGray({Chunk("tEXt", {'a', 'b', 'c'})}));
    EXPECT_EQ(png.Chunks.FindChunk<TChunktEXt>()->Keyword, "abc");

    ExpectLoadFails<EPNGInvalidPalette>(SimplePng(1, 1, 8, 3, {0, 0}, {Chunk("PLTE", {1, 2, 3, 4})}), "PLTE of 4");
    ExpectLoadFails<EPNGInvalidPalette>(SimplePng(1, 1, 8, 3, {0, 0}, {Chunk("PLTE", Bytes(771, 0))}), "PLTE of 257");
    ExpectLoadFails<EPNGInvalidPalette>(
        SimplePng(1, 1, 8, 3, {0, 0}, {Chunk("PLTE", {1, 2, 3}), Chunk("tRNS", Bytes(257, 0))}), "tRNS of 257");
}

TEST(PngChunkLayer, BlankImages)
{
    EXPECT_THROW(TPNGObject(3, 16, 4, 4), EPNGInvalidSpec);
    EXPECT_THROW(TPNGObject(2, 4, 4, 4), EPNGInvalidSpec);
    EXPECT_THROW(TPNGObject(5, 8, 4, 4), EPNGInvalidSpec);
    EXPECT_THROW(TPNGObject(6, 1, 4, 4), EPNGInvalidSpec);

    TPNGObject gray(0, 2, 5, 3);
    EXPECT_EQ(gray.Header().IHDRData.BitDepth, 4);
    EXPECT_EQ(gray.GetWidth(), 5);
    std::vector<std::string> order;
    for (const auto& chunk : gray.Chunks)
        order.push_back(chunk->GetChunkName());
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));

    TPNGObject palette(3, 4, 2, 2);
    order.clear();
    for (const auto& chunk : palette.Chunks)
        order.push_back(chunk->GetChunkName());
    EXPECT_EQ(order, (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
    Bytes saved;
    palette.SaveToStream(saved);
    auto chunks = test::ListChunks(saved);
    EXPECT_EQ(chunks[1].data.size(), 48u);  // 16 entries
}

// A zTXt chunk whose text is `size` spaces.
Bytes CompressedText(const std::string& keyword, std::size_t size)
{
    Bytes data(keyword.begin(), keyword.end());
    data.insert(data.end(), {0, 0});
    Bytes packed = test::Deflate(Bytes(size, ' '), 9);
    data.insert(data.end(), packed.begin(), packed.end());
    return Chunk("zTXt", data);
}

TEST(PngChunkLayer, CompressedTextIsCappedForTheWholeFile)
{
    // Three 6 MiB texts pass 16 MiB: the third, and anything after it, stays empty.
    constexpr std::size_t kSix = std::size_t(6) << 20;
    Bytes file = SmallGray({CompressedText("a", kSix), CompressedText("b", kSix), CompressedText("c", kSix),
                            CompressedText("d", 10)});
    TPNGObject png;
    for (int load = 0; load < 2; ++load) {  // each load has its own allowance
        png.LoadFromStream(file);
        std::vector<std::size_t> sizes;
        for (const auto& chunk : png.Chunks)
            if (auto* z = dynamic_cast<TChunkzTXt*>(chunk.get()))
                sizes.push_back(z->Text.size());
        EXPECT_EQ(sizes, (std::vector<std::size_t>{kSix, kSix, 0, 0}));
    }
}

TEST(PngChunkLayer, ImagesOnlyDrawnKeepTheirTextCompressed)
{
    Bytes text = CompressedText("Comment", 1000);
    Bytes file = SmallGray({text});
    TPNGObject png;
    png.DrawingOnly = true;
    png.LoadFromStream(file);
    EXPECT_EQ(png.Chunks.FindChunk<TChunkzTXt>(), nullptr);
    EXPECT_EQ(png.Chunks.GetItem(1)->GetChunkName(), "zTXt");
    EXPECT_EQ(png.GetPixels(1, 1), MakeColor(40, 40, 40));
    Bytes saved;
    png.SaveToStream(saved);
    EXPECT_NE(std::search(saved.begin(), saved.end(), text.begin(), text.end()), saved.end())
        << "the chunk is written back as it was read";
}

TEST(PngChunkLayer, PhysicalUnitsKeepTheirByte)
{
    TPNGObject png;
    png.LoadFromStream(SmallGray({Chunk("pHYs", {0, 0, 0, 1, 0, 0, 0, 2, 7})}));
    Bytes saved;
    png.SaveToStream(saved);
    std::vector<Bytes> written;
    for (const auto& chunk : test::ListChunks(saved))
        if (chunk.type == "pHYs")
            written.push_back(chunk.data);
    EXPECT_EQ(written, (std::vector<Bytes>{{0, 0, 0, 1, 0, 0, 0, 2, 7}}));
}

}  // namespace
}  // namespace tessolo
