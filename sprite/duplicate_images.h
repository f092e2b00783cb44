// Finds images that are already on the sheet, so that copies of one image
// under several names can share a single place. Images are compared as they
// are drawn: their size, each pixel's colour, its alpha when the image has
// alpha, and whether the pixel is skipped as the transparent colour. A hash
// picks the candidates; only a byte-for-byte match counts.
//
//     DuplicateImages placed;
//     DrawnPixels drawn = DrawnPixelsOf(image);
//     if (std::optional<SheetPoint> at = placed.PlaceOf(drawn))
//         ...  // reuse *at, draw nothing
//     else
//         ...  // draw at `where`, then placed.Remember(std::move(drawn), where)
#pragma once

#include "platform/bitmap.h"

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessolo {

// The top-left corner of an image on the sheet.
struct SheetPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const SheetPoint&) const = default;
};

// An image's pixels as the sheet receives them, in a form that compares
// byte for byte whatever the image's pixel format.
struct DrawnPixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Five bytes a pixel, rows top-down: red, green, blue, alpha (255 without
    // alpha) and 1; a pixel that drawing skips is five zero bytes.
    std::vector<std::uint8_t> bytes;
    bool operator==(const DrawnPixels&) const = default;
};

DrawnPixels DrawnPixelsOf(const Bitmap& image);

// A 64-bit hash (FNV-1a) of the size and the bytes.
std::uint64_t HashDrawnPixels(const DrawnPixels& image);

class DuplicateImages {
public:
    using HashFunction = std::uint64_t (*)(const DrawnPixels&);
    // `hash` can be replaced to make distinct images collide in tests.
    explicit DuplicateImages(HashFunction hash = HashDrawnPixels) : hash_(hash) {}

    // Where an image identical to `image` was placed; nothing when none was,
    // or when `image` has no pixels (it takes no room to share).
    std::optional<SheetPoint> PlaceOf(const DrawnPixels& image) const;
    // Remembers `image` as placed with its top-left corner at `at`. An image
    // without pixels is not remembered.
    void Remember(DrawnPixels image, SheetPoint at);

private:
    HashFunction hash_;
    std::unordered_multimap<std::uint64_t, std::pair<DrawnPixels, SheetPoint>> placed_;
};

}  // namespace tessolo
