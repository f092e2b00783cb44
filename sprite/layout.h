// Where each image goes on the sheet and how large the sheet becomes. The
// build runs it image by image: Reset once, then Place before an image is
// drawn and Advance after its stylesheet line is written.
#pragma once

#include "platform/bitmap.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessolo {

// How the images are arranged, as stored in Orientation.
// The packed layout is placed by PackRectangles (sprite/rect_packer.h), not
// by SheetLayout.
enum Orientation : std::int32_t { kHorizontal = 0, kVertical = 1, kGrid = 2, kPacked = 3 };

struct OrientationInfo {
    Orientation orientation;
    std::string_view commandWord;
};

inline constexpr std::array<OrientationInfo, 4> kOrientations{{
    {kHorizontal, "horizontal"},
    {kVertical, "vertical"},
    {kGrid, "grid"},
    {kPacked, "packed"},
}};

// The row of a stored orientation, or nullptr for a value outside the table.
const OrientationInfo* FindOrientation(std::int32_t storedValue);
// Every orientation as its stored value and word: "0 horizontal, 1 vertical, 2 grid or 3 packed".
std::string OrientationChoices();

// A sheet's width and height.
struct SheetSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class SheetLayout {
public:
    // Starts a new sheet; `entryCount` fixes the grid's images per row.
    void Reset(std::int32_t orientation, std::int32_t horizontalPadding,
               std::int32_t verticalPadding, std::size_t entryCount);
    // The size of `sheet` once it holds a `width` x `height` image at the cursor.
    SheetSize SizeWith(const Bitmap& sheet, std::int32_t width, std::int32_t height) const;
    // Grows `sheet` to hold a `width` x `height` image at the cursor.
    void Place(Bitmap& sheet, std::int32_t width, std::int32_t height) const;
    // Whether the layout can start a new row: a grid whose row holds an image.
    bool CanStartRow() const { return orientation_ == kGrid && ColumnIndex > 0; }
    // Moves the cursor to the start of the next row, below `sheet`.
    void StartRow(const Bitmap& sheet);
    // Moves the cursor past the image just placed.
    void Advance(const Bitmap& sheet, std::int32_t width, std::int32_t height);

    std::int32_t CursorX = 0;
    std::int32_t CursorY = 0;
    std::int32_t ColumnIndex = 0;
    std::int32_t ColumnCount = 0;

private:
    std::int32_t orientation_ = kHorizontal;
    std::int32_t horizontalPadding_ = 0;
    std::int32_t verticalPadding_ = 0;
};

}  // namespace tessolo
