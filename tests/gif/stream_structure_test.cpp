// The stream structure: header, blocks, extensions, colour maps, version
// selection and the object model's own rules.
#include "gif_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace tessolo {
namespace {

using test::GifBuilder;
using test::Load;
using test::Save;
using test::Warnings;

// A frame of index 1 (up to 6 pixels) with minimum code size 2: the codes
// for 1, 11 and 111, then the end code once the width has grown to 4 bits.
GifBuilder& AddFrame(GifBuilder& gif, int left = 0, int top = 0, int width = 2, int height = 2)
{
    return gif.Descriptor(left, top, width, height).ImageData(2, {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}});
}

std::string ThrownText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const GIFException& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

TEST(GifStream, HeaderVariantsLoad)
{
    GifBuilder lower;
    lower.Bytes({'g', 'i', 'f', 'x', 'y', 'z', 2, 0, 2, 0, 0, 0, 0});
    AddFrame(lower).Trailer();
    TGIFImage image;
    Load(image, lower.Data());
    EXPECT_EQ(image.Images.Count(), 1);

    GifBuilder prefixed;
    prefixed.Bytes({1, 2, 3, 4}).Header(2, 2);
    AddFrame(prefixed).Trailer();
    Load(image, prefixed.Data());
    EXPECT_EQ(image.Images[0].Data(), (std::vector<std::uint8_t>{1, 1, 1, 1}));

    std::vector<std::uint8_t> bad = {'J', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0, 0, 0, 0x3B};
    GIFInputStream stream(bad);
    EXPECT_THROW(image.LoadFromStream(stream), GIFException);
    EXPECT_EQ(stream.Position(), 0u) << "a failed load returns to the start";
    EXPECT_EQ(ThrownText([&] { Load(image, bad); }), "Invalid GIF signature");
    EXPECT_EQ(ThrownText([&] { Load(image, {'G', 'I', 'F', '8', '9'}); }), "Premature end of data");
}

TEST(GifStream, BlockLevelLeniency)
{
    // Zero bytes between blocks are skipped; no trailer is no warning.
    GifBuilder gif;
    gif.Header(2, 2).Bytes({0, 0});
    AddFrame(gif).Bytes({0});
    AddFrame(gif);
    TGIFImage image;
    Warnings warnings;
    Load(image, gif.Data(), &warnings);
    EXPECT_EQ(image.Images.Count(), 2);
    EXPECT_TRUE(warnings.texts.empty());

    // An unknown block stops frame reading and fails the trailer check.
    GifBuilder junk;
    junk.Header(2, 2);
    AddFrame(junk).Bytes({0x42, 0x2C});
    Warnings junkWarnings;
    Load(image, junk.Data(), &junkWarnings);
    EXPECT_EQ(image.Images.Count(), 1);
    EXPECT_EQ(junkWarnings.texts, (std::vector<std::string>{"Unknown GIF block type", "Invalid Image trailer"}));
}

TEST(GifStream, FrameSizeAgainstTheScreen)
{
    GifBuilder zeroWidth;
    zeroWidth.Header(3, 2);
    AddFrame(zeroWidth, 0, 0, 0, 2).Trailer();
    TGIFImage image;
    Warnings warnings;
    Load(image, zeroWidth.Data(), &warnings);
    EXPECT_EQ(image.Images[0].Width(), 3);
    EXPECT_EQ(image.Images[0].Height(), 2);
    EXPECT_TRUE(warnings.Has("Image exceeds Logical Screen size"));

    GifBuilder small;
    small.Header(1, 1);
    AddFrame(small, 3, 4).Trailer();
    Warnings none;
    Load(image, small.Data(), &none);
    EXPECT_EQ(image.Width(), 5);
    EXPECT_EQ(image.Height(), 6);
    EXPECT_TRUE(none.texts.empty());

    EXPECT_EQ(ThrownText([&] { image.SetWidth(4); }), "Image width too small for contained frames");
    EXPECT_EQ(ThrownText([&] { image.SetHeight(5); }), "Image height too small for contained frames");
    image.SetWidth(9);
    EXPECT_EQ(image.Width(), 9);

    // Moving a frame beyond a screen that has a size warns.
    Warnings moved;
    image.OnWarning = [&](const void*, TGIFSeverity, const std::string& t) { moved.texts.push_back(t); };
    image.Images[0].SetBounds(8, 0, 2, 2);
    EXPECT_EQ(moved.texts, (std::vector<std::string>{"Image width too small for contained frames",
                                                     "Image exceeds Logical Screen size"}));
    EXPECT_EQ(image.Width(), 10);
}

TEST(GifStream, ExtensionsLoadOrFailByLabelAndSize)
{
    auto withExtension = [](std::initializer_list<int> bytes) {
        GifBuilder gif;
        gif.Header(2, 2).Bytes(bytes);
        AddFrame(gif).Trailer();
        return gif.Data();
    };
    TGIFImage image;
    EXPECT_EQ(ThrownText([&] { Load(image, withExtension({0x21, 0x02, 1, 0, 0})); }), "Unknown extension type");

    // Block size 10: the 11th identifier byte is the first sub-block size.
    Load(image, withExtension({0x21, 0xFF, 10, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '2', 1, 9, 0}));
    ASSERT_EQ(image.Images[0].Extensions.Count(), 1);
    auto* unknown = dynamic_cast<TGIFUnknownAppExtension*>(&image.Images[0].Extensions[0]);
    ASSERT_NE(unknown, nullptr);
    ASSERT_EQ(unknown->Blocks.size(), 1u);
    EXPECT_EQ(unknown->Blocks[0].Data, std::vector<std::uint8_t>{9});

    for (int size : {9, 12})
        EXPECT_EQ(ThrownText([&] {
                      Load(image, withExtension({0x21, 0xFF, size, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '2',
                                                 '3', '4', 0}));
                  }),
                  "Unsupported Application Extension block size")
            << size;

    EXPECT_EQ(ThrownText([&] {
                  Load(image, withExtension({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                             2, 1, 0, 0}));
              }),
              "Invalid GIF data");
}

TEST(GifStream, LoopExtensionRoundTrips)
{
    TGIFImage image;
    image.Assign(Bitmap(2, 2));
    auto loop = std::make_unique<TGIFAppExtNSLoop>(image.Images[0]);
    loop->Loops = 7;
    loop->BufferSize = 70000;
    image.Images[0].Extensions.Add(std::move(loop));
    std::vector<std::uint8_t> file = Save(image);
    const std::uint8_t expected[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                     3, 1, 7, 0, 5, 2, 0x70, 0x11, 0x01, 0x00, 0};
    EXPECT_EQ(std::memcmp(file.data() + 13, expected, sizeof expected), 0);

    TGIFImage again;
    Load(again, file);
    auto* read = dynamic_cast<TGIFAppExtNSLoop*>(&again.Images[0].Extensions[0]);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Loops, 7);
    EXPECT_EQ(read->BufferSize, 70000u);

    // The other registered identifier reads through the same class; a
    // later registration for an identifier wins.
    TGIFApplicationRec id;
    std::memcpy(&id, "ANIMEXTS1.0", 11);
    EXPECT_EQ(AppExtensionRegistry().Find(id), &TGIFAppExtNSLoop::Class);
    std::memcpy(&id, "TESTAPPL1.0", 11);
    EXPECT_EQ(AppExtensionRegistry().Find(id), nullptr);
    AppExtensionRegistry().RegisterExtension(id, TGIFUnknownAppExtension::Class);
    EXPECT_EQ(AppExtensionRegistry().Find(id), &TGIFUnknownAppExtension::Class);

    TGIFAppExtNSLoop named(again.Images[0]);
    named.SetIdentifier("ABC");
    EXPECT_EQ(std::memcmp(named.Rec.Identifier, "ABC\0    ", 8), 0);
}

TEST(GifStream, CommentsSplitIntoSubBlocks)
{
    TGIFImage image;
    image.Assign(Bitmap(1, 1));
    auto comment = std::make_unique<TGIFCommentExtension>(image.Images[0]);
    comment->Text = {std::string(300, 'c'), ""};
    image.Images[0].Extensions.Add(std::move(comment));
    std::vector<std::uint8_t> file = Save(image);
    EXPECT_EQ(file[13], 0x21);
    EXPECT_EQ(file[14], 0xFE);
    EXPECT_EQ(file[15], 255);
    EXPECT_EQ(file[15 + 256], 45);
    EXPECT_EQ(file[15 + 256 + 46], 0);

    TGIFImage again;
    Load(again, file);
    auto* read = dynamic_cast<TGIFCommentExtension*>(&again.Images[0].Extensions[0]);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Text, (std::vector<std::string>{std::string(255, 'c'), std::string(45, 'c')}));
}

TEST(GifStream, ColorMapsAndVersions)
{
    TGIFImage image;
    EXPECT_EQ(ThrownText([&] { Save(image); }), "Unsupported GIF version");

    for (auto [colors, written] : {std::pair{2, 2}, {3, 4}, {0, 0}}) {
        TGIFImage one;
        auto frame = std::make_unique<TGIFSubImage>(&one);
        frame->SetBounds(0, 0, 1, 1);
        for (int i = 0; i < colors; ++i)
            frame->ColorMap.Add(MakeColor(std::uint8_t(i), 0, 0));
        one.Header.ColorMap.ImportPalette({kBlack, kWhite});
        one.Add(std::move(frame));
        std::vector<std::uint8_t> file = Save(one);
        std::size_t map = 6 + 7 + 6 + 10;
        EXPECT_EQ(file[map - 1] & 0x80, colors ? 0x80 : 0);
        // The code size byte follows the written map.
        EXPECT_EQ(file[map + 3 * std::size_t(written)], 2) << colors;
        EXPECT_EQ(std::string(file.begin() + 3, file.begin() + 6), "87a");
    }

    image.Assign(Bitmap(1, 1));
    EXPECT_EQ(image.GetVersion(), gv87a);
    image.Images[0].Extensions.Add(std::make_unique<TGIFGraphicControlExtension>(image.Images[0]));
    std::vector<std::uint8_t> file = Save(image);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 6), "GIF89a");

    TGIFSubImage& frame = image.Images[0];
    frame.ColorMap.Clear();
    for (int i = 0; i < 256; ++i)
        frame.ColorMap.Add(MakeColor(std::uint8_t(i), 0, 0));
    EXPECT_EQ(ThrownText([&] { frame.ColorMap.Add(kWhite); }), "Color table overflow");
    EXPECT_EQ(ThrownText([&] { frame.ColorMap.Delete(256); }), "Invalid color index");

    Warnings warnings;
    image.OnWarning = [&](const void*, TGIFSeverity, const std::string& t) { warnings.texts.push_back(t); };
    EXPECT_EQ(frame.ColorMap.GetColor(300), MakeColor(0, 0, 0));
    EXPECT_TRUE(warnings.Has("Invalid color index"));
    frame.ColorMap.Clear();
    EXPECT_EQ(ThrownText([&] { frame.ColorMap.GetColor(0); }), "Color table is empty");
}

TEST(GifStream, ScreenDescriptorBytesSurviveClear)
{
    GifBuilder gif;
    gif.Header(2, 2);
    std::vector<std::uint8_t> data = gif.Data();
    data[11] = 5;   // background colour index
    data[12] = 49;  // aspect ratio
    GifBuilder full;
    full.Append(data);
    AddFrame(full).Trailer();

    TGIFImage image;
    Load(image, full.Data());
    image.Assign(Bitmap(3, 3));
    std::vector<std::uint8_t> file = Save(image);
    EXPECT_EQ(std::string(file.begin() + 3, file.begin() + 6), "87a");
    EXPECT_EQ(file[6], 3);
    EXPECT_EQ(file[11], 5);
    EXPECT_EQ(file[12], 49);
}

TEST(GifStream, OptimizeSortsByUseAndRemaps)
{
    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, 5, 1);
    frame->Data() = {2, 2, 2, 0, 2};
    frame->ColorMap.ImportPalette({kBlack, kWhite, MakeColor(9, 9, 9), MakeColor(1, 2, 3)});
    auto gce = std::make_unique<TGIFGraphicControlExtension>(*frame);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(0);
    frame->Extensions.Add(std::move(gce));
    image.Add(std::move(frame));

    image.OptimizeColorMaps();
    TGIFSubImage& f = image.Images[0];
    EXPECT_EQ(f.Data(), (std::vector<std::uint8_t>{0, 0, 0, 1, 0}));
    EXPECT_EQ(f.ColorMap.ExportPalette(), (std::vector<ColorRef>{MakeColor(9, 9, 9), kBlack}));
    EXPECT_EQ(f.TransparentColorIndex(), 1);
    EXPECT_TRUE(f.ColorMap.Optimized);
    std::vector<std::uint8_t> file = Save(image);
    EXPECT_EQ(std::string(file.begin() + 3, file.begin() + 6), "89a");
    EXPECT_EQ(file[13 + 8 + 9] & 0x20, 0x20) << "sorted flag of the local map";
}

TEST(GifStream, AssignCopiesFramesAndExtensions)
{
    GifBuilder gif;
    gif.Header(4, 4).GraphicControl(true, 3, 2, 10);
    AddFrame(gif, 1, 1).Trailer();
    TGIFImage source;
    Load(source, gif.Data());
    TGIFImage copy;
    copy.Assign(source);
    ASSERT_EQ(copy.Images.Count(), 1);
    EXPECT_EQ(Save(copy), Save(source));
    EXPECT_TRUE(copy.Images[0].Transparent());
    ASSERT_NE(copy.Images[0].GraphicControlExtension(), nullptr);
    EXPECT_EQ(copy.Images[0].GraphicControlExtension()->Disposal(), dmBackground);

    // Removing a transparent control extension makes the frame opaque.
    copy.Images[0].Extensions.Delete(0);
    EXPECT_FALSE(copy.Images[0].Transparent());
    EXPECT_EQ(copy.Images[0].GraphicControlExtension(), nullptr);
}

}  // namespace
}  // namespace tessolo

namespace tessolo {
namespace {

TEST(GifStream, FrameListKeepsOrderThroughEdits)
{
    TGIFImage image;
    std::vector<TGIFSubImage*> made;
    for (int i = 0; i < 4; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        made.push_back(frame.get());
        image.Images.Add(std::move(frame));
    }
    auto order = [&] {
        std::vector<int> indices;
        for (int i = 0; i < image.Images.Count(); ++i)
            indices.push_back(int(std::find(made.begin(), made.end(), &image.Images[i]) - made.begin()));
        return indices;
    };
    image.Images.Exchange(0, 3);
    EXPECT_EQ(order(), (std::vector<int>{3, 1, 2, 0}));
    image.Images.Move(3, 1);
    EXPECT_EQ(order(), (std::vector<int>{3, 0, 1, 2}));
    std::unique_ptr<TGIFSubImage> taken = image.Images.Remove(made[1]);
    EXPECT_EQ(taken.get(), made[1]);
    EXPECT_EQ(image.Images.IndexOf(made[1]), -1);
    image.Images.Insert(0, std::move(taken));
    EXPECT_EQ(order(), (std::vector<int>{1, 3, 0, 2}));
    EXPECT_EQ(&image.Images.First(), made[1]);
    EXPECT_EQ(&image.Images.Last(), made[2]);
    image.Images.Delete(1);
    EXPECT_EQ(order(), (std::vector<int>{1, 0, 2}));
}

}  // namespace
}  // namespace tessolo
