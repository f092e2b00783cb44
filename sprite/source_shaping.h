// How a build shapes a source before it draws it: blended over white for a
// sheet with a background, resized as the settings say, and padded to a
// multiple of the sheet's scale. The same steps apply to a source decoded
// whole and to one read a row at a time, with the same pixels.
#pragma once

#include "platform/bitmap.h"
#include "platform/source_file.h"
#include "sprite/build_settings.h"

#include <cstdint>

namespace tessolo {

// Replaces `source` by its copy at the size the settings give it; a source
// the settings do not resize is left as it is.
void Resize(Bitmap& source, const BuildSettings& settings);

// Takes the rows a codec reads and hands `out` the rows of the shaped
// source: what Resize and PadToMultipleSize give the whole source, after it
// is blended over white when the sheet is not transparent. Each row is
// shaped as it comes, so the source is never held whole.
class ShapedRows {
public:
    ShapedRows(const BuildSettings& settings, std::int32_t scale, SourceRows out);
    ShapedRows(const ShapedRows&) = delete;
    ShapedRows& operator=(const ShapedRows&) = delete;

    // What the codec is handed; it refers to this object.
    SourceRows Input();

private:
    void Start(int width, int height);
    void Take(int y, const Bitmap& row);
    // Pads a row of the resized source and hands it on, then the padding
    // rows after the last one.
    void Pad(int y, const Bitmap& row);

    const BuildSettings& settings_;
    const std::int32_t scale_;
    const SourceRows out_;
    int sourceHeight_ = 0;
    int width_ = 0, height_ = 0;  // resized
    int nextRow_ = 0;             // the next resized row to hand on
    bool resizes_ = false, pads_ = false;
    Bitmap flat_, resized_, padded_;
};

}  // namespace tessolo
