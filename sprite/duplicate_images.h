// Finds images that are already on the sheet, so that copies of one image
// under several names can share a single place. Images are compared as they
// are drawn: their size, each pixel's colour, its alpha when the image has
// alpha, and whether the pixel is skipped as the transparent colour. Only a
// hash of each image is kept; an image whose hash matches is compared with
// the earlier one, which the caller reads again, and only a pixel-for-pixel
// match counts.
//
//     DuplicateImages kept([&](std::size_t n) { return ReadAgain(n); });
//     if (std::optional<std::size_t> original = kept.OriginalOf(image))
//         ...  // share the place of image *original, draw nothing
//     else
//         ...  // place it as image n, then kept.Remember(image, n)
#pragma once

#include "platform/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tessolo {

// Whether the sheet receives the same pixels from both images, whatever
// their pixel formats.
bool DrawnAlike(const Bitmap& a, const Bitmap& b);

// A 64-bit hash (FNV-1a) of the size and of each pixel as drawn: red, green,
// blue, alpha (255 without alpha) and 1, or five zero bytes for a pixel that
// drawing skips.
std::uint64_t HashDrawnPixels(const Bitmap& image);

// The same hash of an image taken a row at a time.
class DrawnPixelHash {
public:
    DrawnPixelHash(int width, int height);
    // Adds every row of `rows`, the next ones of the image.
    void AddRows(const Bitmap& rows);
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_;
    std::vector<std::uint8_t> bytes_;  // one drawn row
};

class DuplicateImages {
public:
    using HashFunction = std::uint64_t (*)(const Bitmap&);
    // The image remembered under a number, read again.
    using EarlierImage = std::function<Bitmap(std::size_t number)>;
    // `hash` can be replaced to make distinct images collide in tests.
    explicit DuplicateImages(EarlierImage earlier, HashFunction hash = HashDrawnPixels)
        : earlier_(std::move(earlier)), hash_(hash)
    {
    }

    // The number under which an image identical to `image` was remembered;
    // nothing when none was, or when `image` has no pixels (it takes no room
    // to share).
    std::optional<std::size_t> OriginalOf(const Bitmap& image) const;
    // The same for an image with pixels known by its hash, which `image`
    // reads whole only when an earlier image has that hash.
    std::optional<std::size_t> OriginalOf(std::uint64_t hash,
                                          const std::function<Bitmap()>& image) const;
    // Remembers `image` as the one placed under `number`. An image without
    // pixels is not remembered.
    void Remember(const Bitmap& image, std::size_t number);
    void Remember(std::uint64_t hash, std::size_t number) { kept_.emplace(hash, number); }

private:
    // The first earlier image with `hash` that `alike` accepts.
    std::optional<std::size_t> Find(std::uint64_t hash,
                                    const std::function<bool(const Bitmap&)>& alike) const;

    EarlierImage earlier_;
    HashFunction hash_;
    std::unordered_multimap<std::uint64_t, std::size_t> kept_;  // hash to number
};

// The merging of identical images in one build: with it on, a copy of an
// image placed before shares its original's place instead of taking one of
// its own; with it off, every image takes its own.
class SharedPlaces {
public:
    SharedPlaces(bool merge, DuplicateImages::EarlierImage earlier)
        : merge_(merge), kept_(std::move(earlier))
    {
    }

    // The number of the earlier image that `image` is a copy of. Otherwise
    // nothing, and `image` counts as the one placed under `number`.
    std::optional<std::size_t> OriginalOf(const Bitmap& image, std::size_t number);
    // The same for an image with pixels known by its hash (DrawnPixelHash),
    // which `image` reads whole only to compare it with an earlier one.
    std::optional<std::size_t> OriginalOf(std::uint64_t hash, const std::function<Bitmap()>& image,
                                          std::size_t number);
    // The note that tells how many images shared the place of an earlier
    // copy; nothing when none did.
    std::optional<std::string> Remark() const;

private:
    bool merge_;
    DuplicateImages kept_;
    int merged_ = 0;
};

}  // namespace tessolo
