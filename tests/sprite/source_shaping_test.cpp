// A source read a row at a time is shaped to exactly the pixels of the same
// source decoded whole: blended, resized and padded to the sheet's scale.
#include "platform/alpha.h"
#include "sprite/high_density.h"
#include "sprite/source_shaping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tessolo {
namespace {

// Pixels that all differ, with every alpha level from clear to opaque when
// `alpha` is set.
Bitmap Pattern(int width, int height, bool alpha)
{
    Bitmap image = alpha ? TransparentBitmap(width, height) : Bitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            image.SetPixel(x, y, MakeColor(std::uint8_t(40 * x), std::uint8_t(30 * y), 200));
            if (alpha)
                image.ScanLine(y)[4 * x + 3] = std::uint8_t((x * 7 + y * 3) * 255 / 60);
        }
    return image;
}

// The whole source as the build shapes it when it decodes it.
Bitmap ShapedWhole(Bitmap source, const BuildSettings& settings, std::int32_t scale)
{
    const bool transparent = settings.SheetBackground == kBackgroundTransparent;
    if (!transparent)
        FlattenOverWhite(source);
    Resize(source, settings);
    PadToMultipleSize(source, scale, transparent);
    return source;
}

// The same source handed over a row at a time, the shaped rows put together.
Bitmap ShapedByRows(const Bitmap& source, const BuildSettings& settings, std::int32_t scale)
{
    Bitmap whole;
    int width = -1, height = -1, nextRow = 0;
    ShapedRows shaped(settings, scale,
                      {[&](int w, int h) { width = w, height = h; },
                       [&](int y, const Bitmap& row) {
                           EXPECT_EQ(y, nextRow++);
                           EXPECT_EQ(row.Width(), width);
                           if (y == 0) {
                               whole = Bitmap(width, height, row.Format());
                               whole.HasAlpha = row.HasAlpha;
                           }
                           EXPECT_EQ(row.Format(), whole.Format());
                           EXPECT_EQ(row.HasAlpha, whole.HasAlpha);
                           whole.Draw(row, 0, y);
                       }});
    const SourceRows input = shaped.Input();
    input.start(source.Width(), source.Height());
    Bitmap row(source.Width(), 1, source.Format());
    row.HasAlpha = source.HasAlpha;
    for (int y = 0; y < source.Height(); ++y) {
        row.Draw(source, 0, -y);
        input.row(y, row);
    }
    EXPECT_EQ(nextRow, height) << "every row is handed on";
    return height > 0 ? whole : Bitmap(width, height);
}

void ExpectSamePixels(const Bitmap& actual, const Bitmap& expected)
{
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    if (expected.Height() == 0 || expected.Width() == 0)
        return;
    ASSERT_EQ(actual.Format(), expected.Format());
    ASSERT_EQ(actual.HasAlpha, expected.HasAlpha);
    const std::size_t bytes = std::size_t(expected.Width()) * BitsPerPixel(expected.Format()) / 8;
    for (int y = 0; y < expected.Height(); ++y)
        ASSERT_EQ(std::memcmp(actual.ScanLine(y), expected.ScanLine(y), bytes), 0) << "row " << y;
}

TEST(SourceShaping, RowsAreShapedToThePixelsOfTheWholeSource)
{
    struct Resizing {
        ResizeMode method;
        std::int32_t percentage, width, height;
    };
    const Resizing resizings[] = {{kResizeNone, 0, 0, 0},
                                  {kResizeByPercentage, 37, 0, 0},
                                  {kResizeByPercentage, 170, 0, 0},
                                  {kResizeToSize, 0, 4, 11},
                                  {kResizeToSize, 0, 9, 0}};
    for (bool alpha : {false, true})
        for (SheetBackground background : {kBackgroundWhite, kBackgroundTransparent})
            for (const Resizing& resizing : resizings)
                for (std::int32_t scale : {1, 2, 3}) {
                    SCOPED_TRACE("alpha " + std::to_string(alpha) + ", background " +
                                 std::to_string(background) + ", resize " +
                                 std::to_string(resizing.method) + " " +
                                 std::to_string(resizing.percentage) + " " +
                                 std::to_string(resizing.width) + "x" +
                                 std::to_string(resizing.height) + ", scale " +
                                 std::to_string(scale));
                    BuildSettings settings;
                    settings.SheetBackground = background;
                    settings.ResizeMethod = resizing.method;
                    settings.ResizePercentage = resizing.percentage;
                    settings.ResizeWidth = resizing.width;
                    settings.ResizeHeight = resizing.height;
                    const Bitmap source = Pattern(7, 5, alpha);
                    ExpectSamePixels(ShapedByRows(source, settings, scale),
                                     ShapedWhole(source, settings, scale));
                }
}

}  // namespace
}  // namespace tessolo
