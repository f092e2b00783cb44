#include "sprite/duplicate_images.h"

#include "platform/byte_hash.h"

#include <vector>

namespace tessolo {

namespace {

constexpr std::size_t kBytesPerDrawnPixel = 5;

std::uint64_t HashWord(std::uint64_t hash, std::uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        hash = HashByte(hash, std::uint8_t(word >> shift));
    return hash;
}

// Row `y` of an image with pixels as the sheet receives it, five bytes a
// pixel (see HashDrawnPixels), into `bytes`.
void DrawnRow(const Bitmap& image, int y, std::vector<std::uint8_t>& bytes)
{
    const bool alpha = image.HasAlpha && image.Format() == PixelFormat::Bits32;
    const std::uint8_t* row = image.ScanLine(y);
    bytes.clear();
    for (int x = 0; x < image.Width(); ++x) {
        ColorRef color = image.Pixel(x, y);
        if (image.Transparent && color == image.TransparentColor) {
            bytes.insert(bytes.end(), kBytesPerDrawnPixel, 0);
            continue;
        }
        std::uint8_t opacity = alpha ? row[4 * x + 3] : 255;
        bytes.insert(bytes.end(), {RedOf(color), GreenOf(color), BlueOf(color), opacity, 1});
    }
}

}  // namespace

bool DrawnAlike(const Bitmap& a, const Bitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    if (a.Empty())
        return true;
    std::vector<std::uint8_t> rowOfA, rowOfB;
    for (int y = 0; y < a.Height(); ++y) {
        DrawnRow(a, y, rowOfA);
        DrawnRow(b, y, rowOfB);
        if (rowOfA != rowOfB)
            return false;
    }
    return true;
}

DrawnPixelHash::DrawnPixelHash(int width, int height) : hash_(kByteHashStart)
{
    hash_ = HashWord(hash_, std::uint32_t(width));
    hash_ = HashWord(hash_, std::uint32_t(height));
}

void DrawnPixelHash::AddRows(const Bitmap& rows)
{
    if (rows.Empty())
        return;
    for (int y = 0; y < rows.Height(); ++y) {
        DrawnRow(rows, y, bytes_);
        hash_ = HashBytes(bytes_, hash_);
    }
}

std::uint64_t HashDrawnPixels(const Bitmap& image)
{
    DrawnPixelHash hash(image.Width(), image.Height());
    hash.AddRows(image);
    return hash.Value();
}

std::optional<std::size_t> DuplicateImages::Find(
    std::uint64_t hash, const std::function<bool(const Bitmap&)>& alike) const
{
    auto [first, last] = kept_.equal_range(hash);
    for (auto candidate = first; candidate != last; ++candidate)
        if (alike(earlier_(candidate->second)))
            return candidate->second;
    return std::nullopt;
}

std::optional<std::size_t> DuplicateImages::OriginalOf(const Bitmap& image) const
{
    if (image.Empty())
        return std::nullopt;
    return Find(hash_(image), [&](const Bitmap& earlier) { return DrawnAlike(earlier, image); });
}

std::optional<std::size_t> DuplicateImages::OriginalOf(
    std::uint64_t hash, const std::function<Bitmap()>& image) const
{
    std::optional<Bitmap> whole;
    return Find(hash, [&](const Bitmap& earlier) {
        if (!whole)
            whole = image();
        return DrawnAlike(earlier, *whole);
    });
}

void DuplicateImages::Remember(const Bitmap& image, std::size_t number)
{
    if (!image.Empty())
        kept_.emplace(hash_(image), number);
}

std::optional<std::size_t> SharedPlaces::OriginalOf(const Bitmap& image, std::size_t number)
{
    if (!merge_)
        return std::nullopt;
    std::optional<std::size_t> original = kept_.OriginalOf(image);
    if (original)
        ++merged_;
    else
        kept_.Remember(image, number);
    return original;
}

std::optional<std::size_t> SharedPlaces::OriginalOf(std::uint64_t hash,
                                                    const std::function<Bitmap()>& image,
                                                    std::size_t number)
{
    if (!merge_)
        return std::nullopt;
    std::optional<std::size_t> original = kept_.OriginalOf(hash, image);
    if (original)
        ++merged_;
    else
        kept_.Remember(hash, number);
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
