#include "sprite/layout.h"

#include "platform/text_list.h"
#include "sprite/sheet_value.h"

#include <algorithm>
#include <cmath>

namespace tessolo {

namespace {

std::int32_t Sum(std::int32_t a, std::int32_t b, std::int32_t c = 0)
{
    return SheetValue(std::int64_t(a) + b + c);
}

}  // namespace

const OrientationInfo* FindOrientation(std::int32_t storedValue)
{
    for (const OrientationInfo& row : kOrientations)
        if (row.orientation == storedValue)
            return &row;
    return nullptr;
}

std::string OrientationChoices()
{
    std::vector<std::string> choices;
    for (const OrientationInfo& row : kOrientations)
        choices.push_back(std::to_string(row.orientation) + " " + std::string(row.commandWord));
    return JoinAlternatives(choices, " or ");
}

void SheetLayout::Reset(std::int32_t orientation, std::int32_t horizontalPadding,
                        std::int32_t verticalPadding, std::size_t entryCount)
{
    orientation_ = orientation;
    horizontalPadding_ = horizontalPadding;
    verticalPadding_ = verticalPadding;
    CursorX = CursorY = ColumnIndex = 0;
    ColumnCount = orientation == kGrid ? std::int32_t(std::sqrt(double(entryCount))) : 0;
}

SheetSize SheetLayout::SizeWith(const Bitmap& sheet, std::int32_t width,
                                std::int32_t height) const
{
    switch (orientation_) {
    case kHorizontal:
        return {Sum(CursorX, width), std::max(sheet.Height(), height)};
    case kVertical:
        return {std::max(sheet.Width(), width), Sum(CursorY, height)};
    case kGrid:
        return {std::max(sheet.Width(), Sum(CursorX, width)),
                std::max(sheet.Height(), Sum(CursorY, height))};
    default:
        return {sheet.Width(), sheet.Height()};
    }
}

void SheetLayout::Place(Bitmap& sheet, std::int32_t width, std::int32_t height) const
{
    const SheetSize size = SizeWith(sheet, width, height);
    sheet.SetSize(size.width, size.height);
}

void SheetLayout::StartRow(const Bitmap& sheet)
{
    ColumnIndex = 0;
    CursorX = 0;
    CursorY = Sum(sheet.Height(), verticalPadding_);
}

void SheetLayout::Advance(const Bitmap& sheet, std::int32_t width, std::int32_t height)
{
    switch (orientation_) {
    case kHorizontal:
        CursorX = Sum(CursorX, width, horizontalPadding_);
        break;
    case kVertical:
        CursorY = Sum(CursorY, height, verticalPadding_);
        break;
    case kGrid:
        if (++ColumnIndex == ColumnCount) {
            StartRow(sheet);
        } else {
            CursorX = Sum(CursorX, width, horizontalPadding_);
        }
        break;
    default:
        break;
    }
}

}  // namespace tessolo
