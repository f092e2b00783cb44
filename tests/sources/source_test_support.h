// WebP and SVG files made in the tests, and what a decode of them gives.
#pragma once

#include "platform/bitmap.h"
#include "platform/bytes.h"
#include "platform/source_file.h"

#include <ostream>
#include <string>

namespace tessolo::test {

// A 3 x 2 picture whose pixels all differ, and whose alpha runs from almost
// transparent to opaque when `alpha` is set (opaque otherwise).
Bitmap Pattern(bool alpha);
// `picture` (32-bit) as a lossless WebP.
Bytes LosslessWebp(const Bitmap& picture);
// A 4 x 4 animation of two opaque frames, `first` then `second`.
Bytes AnimatedWebp(ColorRef first, ColorRef second);
// Bytes of a text.
Bytes BytesOf(const std::string& text);

// The colour and alpha of each pixel, "RRGGBBAA" in rows: what a test
// compares, whatever the bitmap's pixel format.
std::string PixelsText(const Bitmap& bitmap);

// One file for a source decoder, and what decoding it gives: its pixels as
// PixelsText, or the message it is refused with.
struct DecodeCase {
    const char* label;
    Bytes (*file)(const std::string& folder);  // a scratch folder for files it refers to
    std::string expected;
    bool messageStartOnly = false;  // a library's own words follow `expected`
};
inline void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.label; }

// Decodes `data` as the build does: PixelsText of the bitmap, or the error's message.
std::string DecodeOutcome(const SourceFormat& format, const Bytes& data);

}  // namespace tessolo::test
