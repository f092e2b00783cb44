#include "gif_test_support.h"

#include "support/reference_decoders.h"

#include <algorithm>

namespace tessolo::test {

GifBuilder& GifBuilder::Header(int width, int height, int globalColors, const char* version)
{
    Append({'G', 'I', 'F'});
    for (int i = 0; i < 3; ++i)
        data_.push_back(std::uint8_t(version[i]));
    int bits = 0;
    while (globalColors > 0 && (2 << bits) < globalColors)
        ++bits;
    Bytes({width & 0xFF, width >> 8, height & 0xFF, height >> 8,
           globalColors > 0 ? 0x80 | 0x70 | bits : 0, 0, 0});
    for (int i = 0; i < globalColors; ++i) {
        int v = globalColors > 1 ? i * 255 / (globalColors - 1) : 0;
        Bytes({v, v, v});
    }
    return *this;
}

GifBuilder& GifBuilder::Bytes(std::initializer_list<int> bytes)
{
    for (int b : bytes)
        data_.push_back(std::uint8_t(b));
    return *this;
}

GifBuilder& GifBuilder::Append(const std::vector<std::uint8_t>& bytes)
{
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

GifBuilder& GifBuilder::Comment(std::size_t length)
{
    Bytes({0x21, 0xFE});
    for (std::size_t left = length; left > 0;) {
        std::size_t block = std::min<std::size_t>(left, 255);
        data_.push_back(std::uint8_t(block));
        data_.insert(data_.end(), block, 'c');
        left -= block;
    }
    return Bytes({0});
}

GifBuilder& GifBuilder::Descriptor(int left, int top, int width, int height, std::uint8_t packed)
{
    return Bytes({0x2C, left & 0xFF, left >> 8, top & 0xFF, top >> 8, width & 0xFF, width >> 8, height & 0xFF,
                  height >> 8, packed});
}

GifBuilder& GifBuilder::GraphicControl(bool transparent, int transparentIndex, int disposal, int delay)
{
    return Bytes({0x21, 0xF9, 4, (disposal << 2) | (transparent ? 1 : 0), delay & 0xFF, delay >> 8,
                  transparentIndex, 0});
}

GifBuilder& GifBuilder::ImageData(int minCodeSize, const std::vector<std::pair<int, int>>& codes, int blockSize)
{
    std::vector<std::uint8_t> packed;
    std::uint32_t bucket = 0;
    int bits = 0;
    for (auto [code, width] : codes) {
        bucket |= std::uint32_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            packed.push_back(std::uint8_t(bucket));
            bucket >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0)
        packed.push_back(std::uint8_t(bucket));
    data_.push_back(std::uint8_t(minCodeSize));
    for (std::size_t at = 0; at < packed.size(); at += std::size_t(blockSize)) {
        std::size_t n = std::min(packed.size() - at, std::size_t(blockSize));
        data_.push_back(std::uint8_t(n));
        data_.insert(data_.end(), packed.begin() + std::ptrdiff_t(at), packed.begin() + std::ptrdiff_t(at + n));
    }
    data_.push_back(0);
    return *this;
}

bool Warnings::Has(const std::string& text) const
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

void Load(TGIFImage& image, const std::vector<std::uint8_t>& data, Warnings* warnings)
{
    if (warnings)
        image.OnWarning = [warnings](const void*, TGIFSeverity, const std::string& text) {
            warnings->texts.push_back(text);
        };
    GIFInputStream stream(data);
    image.LoadFromStream(stream);
}

std::vector<std::uint8_t> Save(const TGIFImage& image)
{
    std::vector<std::uint8_t> out;
    GIFOutputStream stream(out);
    image.SaveToStream(stream);
    return out;
}

std::vector<std::uint8_t> EncodeIndices(const std::vector<std::uint8_t>& indices, int width, int height,
                                        int colors, TGIFCompression compression)
{
    TGIFImage image;
    image.Compression = compression;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, width, height);
    frame->Data() = indices;
    for (int i = 0; i < colors; ++i)
        frame->ColorMap.Add(MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
    image.Add(std::move(frame));
    return Save(image);
}

std::vector<std::uint8_t> DecodeIndices(const std::vector<std::uint8_t>& data)
{
    TGIFImage image;
    Load(image, data);
    return image.Images[0].Data();
}

OracleFrame DecodeWithGiflib(const std::vector<std::uint8_t>& data)
{
    OracleFrame result;
    GiflibStream stream(data);
    if (!stream.File()) {
        result.error = stream.Error();
        return result;
    }
    const SavedImage& first = stream.File()->SavedImages[0];
    result.ok = true;
    result.width = first.ImageDesc.Width;
    result.height = first.ImageDesc.Height;
    result.indices.assign(first.RasterBits,
                          first.RasterBits + std::size_t(result.width) * result.height);
    return result;
}

}  // namespace tessolo::test
