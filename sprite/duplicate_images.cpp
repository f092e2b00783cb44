#include "sprite/duplicate_images.h"

#include "platform/byte_hash.h"

namespace tessolo {

namespace {

constexpr std::size_t kBytesPerDrawnPixel = 5;

std::uint64_t HashWord(std::uint64_t hash, std::uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        hash = HashByte(hash, std::uint8_t(word >> shift));
    return hash;
}

bool HasPixels(const DrawnPixels& image) { return image.width > 0 && image.height > 0; }

}  // namespace

DrawnPixels DrawnPixelsOf(const Bitmap& image)
{
    DrawnPixels drawn;
    drawn.width = image.Width();
    drawn.height = image.Height();
    if (image.Empty())
        return drawn;
    const bool alpha = image.HasAlpha && image.Format() == PixelFormat::Bits32;
    drawn.bytes.reserve(std::size_t(drawn.width) * std::size_t(drawn.height) * kBytesPerDrawnPixel);
    for (int y = 0; y < drawn.height; ++y) {
        const std::uint8_t* row = image.ScanLine(y);
        for (int x = 0; x < drawn.width; ++x) {
            ColorRef color = image.Pixel(x, y);
            if (image.Transparent && color == image.TransparentColor) {
                drawn.bytes.insert(drawn.bytes.end(), kBytesPerDrawnPixel, 0);
                continue;
            }
            std::uint8_t opacity = alpha ? row[4 * x + 3] : 255;
            drawn.bytes.insert(drawn.bytes.end(),
                               {RedOf(color), GreenOf(color), BlueOf(color), opacity, 1});
        }
    }
    return drawn;
}

std::uint64_t HashDrawnPixels(const DrawnPixels& image)
{
    std::uint64_t hash = kByteHashStart;
    hash = HashWord(hash, std::uint32_t(image.width));
    hash = HashWord(hash, std::uint32_t(image.height));
    return HashBytes(image.bytes, hash);
}

std::optional<std::size_t> DuplicateImages::OriginalOf(const DrawnPixels& image) const
{
    if (!HasPixels(image))
        return std::nullopt;
    auto [first, last] = kept_.equal_range(hash_(image));
    for (auto candidate = first; candidate != last; ++candidate)
        if (candidate->second.first == image)
            return candidate->second.second;
    return std::nullopt;
}

void DuplicateImages::Remember(DrawnPixels image, std::size_t number)
{
    if (!HasPixels(image))
        return;
    const std::uint64_t hash = hash_(image);
    kept_.emplace(hash, std::pair(std::move(image), number));
}

std::optional<std::size_t> SharedPlaces::OriginalOf(const Bitmap& image, std::size_t number)
{
    if (!merge_)
        return std::nullopt;
    DrawnPixels drawn = DrawnPixelsOf(image);
    std::optional<std::size_t> original = kept_.OriginalOf(drawn);
    if (original)
        ++merged_;
    else
        kept_.Remember(std::move(drawn), number);
    return original;
}

std::optional<std::string> SharedPlaces::Remark() const
{
    if (merged_ == 0)
        return std::nullopt;
    return "merged " + std::to_string(merged_) +
           (merged_ == 1 ? " image identical to one placed before"
                         : " images identical to ones placed before");
}

}  // namespace tessolo
