#include "png_test_files.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace tessolo::test {

namespace {

void PutBe32(Bytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(v >> shift));
}

}  // namespace

Bytes Chunk(const std::string& type, const Bytes& data)
{
    Bytes out;
    PutBe32(out, std::uint32_t(data.size()));
    for (char c : type)
        out.push_back(std::uint8_t(c));
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty())  // crc32 with no buffer returns the start value
        crc = crc32(crc, data.data(), uInt(data.size()));
    PutBe32(out, std::uint32_t(crc));
    return out;
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colorType, int interlace)
{
    Bytes d;
    PutBe32(d, width);
    PutBe32(d, height);
    d.push_back(std::uint8_t(depth));
    d.push_back(std::uint8_t(colorType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(std::uint8_t(interlace));
    return Chunk("IHDR", d);
}

Bytes PngFile(const std::vector<Bytes>& chunks)
{
    Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
    for (const Bytes& c : chunks)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Deflate(const Bytes& raw, int level)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), level), Z_OK);
    out.resize(size);
    return out;
}

Bytes Inflate(const Bytes& packed)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = uInt(packed.size());
    Bytes out;
    std::uint8_t window[4096];
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = window;
        z.avail_out = sizeof window;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), window, window + (sizeof window - z.avail_out));
    }
    inflateEnd(&z);
    EXPECT_EQ(result, Z_STREAM_END);
    return out;
}

Bytes SimplePng(std::uint32_t width, std::uint32_t height, int depth, int colorType, const Bytes& raw,
                const std::vector<Bytes>& extra, int interlace)
{
    std::vector<Bytes> chunks = {Ihdr(width, height, depth, colorType, interlace)};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back(Chunk("IDAT", Deflate(raw)));
    chunks.push_back(Chunk("IEND", {}));
    return PngFile(chunks);
}

std::vector<ChunkInfo> ListChunks(const Bytes& file)
{
    std::vector<ChunkInfo> chunks;
    std::size_t pos = 8;
    while (pos + 12 <= file.size()) {
        std::uint32_t length = std::uint32_t(file[pos]) << 24 | std::uint32_t(file[pos + 1]) << 16 |
                               std::uint32_t(file[pos + 2]) << 8 | file[pos + 3];
        ChunkInfo info;
        info.type.assign(reinterpret_cast<const char*>(&file[pos + 4]), 4);
        info.data.assign(file.begin() + std::ptrdiff_t(pos + 8), file.begin() + std::ptrdiff_t(pos + 8 + length));
        chunks.push_back(std::move(info));
        pos += 12 + length;
    }
    return chunks;
}

}  // namespace tessolo::test
