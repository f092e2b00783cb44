// Finds images that are already on the sheet, so that copies of one image
// under several names can share a single place. Images are compared as they
// are drawn: their size, each pixel's colour, its alpha when the image has
// alpha, and whether the pixel is skipped as the transparent colour. A hash
// picks the candidates; only a byte-for-byte match counts.
//
//     DuplicateImages kept;
//     DrawnPixels drawn = DrawnPixelsOf(image);
//     if (std::optional<std::size_t> original = kept.OriginalOf(drawn))
//         ...  // share the place of image *original, draw nothing
//     else
//         ...  // place it as image n, then kept.Remember(std::move(drawn), n)
#pragma once

#include "platform/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessolo {

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

    // The number under which an image identical to `image` was remembered;
    // nothing when none was, or when `image` has no pixels (it takes no room
    // to share).
    std::optional<std::size_t> OriginalOf(const DrawnPixels& image) const;
    // Remembers `image` as the one placed under `number`. An image without
    // pixels is not remembered.
    void Remember(DrawnPixels image, std::size_t number);

private:
    HashFunction hash_;
    std::unordered_multimap<std::uint64_t, std::pair<DrawnPixels, std::size_t>> kept_;
};

// The merging of identical images in one build: with it on, a copy of an
// image placed before shares its original's place instead of taking one of
// its own; with it off, every image takes its own.
class SharedPlaces {
public:
    explicit SharedPlaces(bool merge) : merge_(merge) {}

    // The number of the earlier image that `image` is a copy of. Otherwise
    // nothing, and `image` counts as the one placed under `number`.
    std::optional<std::size_t> OriginalOf(const Bitmap& image, std::size_t number);
    // The note that tells how many images shared the place of an earlier
    // copy; nothing when none did.
    std::optional<std::string> Remark() const;

private:
    bool merge_;
    DuplicateImages kept_;
    int merged_ = 0;
};

}  // namespace tessolo
