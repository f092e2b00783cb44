#include "codecs/png/png_zlib_text.h"

#include <zlib.h>

#include <algorithm>

namespace tessolo {

namespace {

// zlib works through this window; each window's output is appended.
constexpr std::size_t kWindow = 256;

}  // namespace

std::optional<Bytes> InflateAll(std::span<const std::uint8_t> input, std::size_t& allowance)
{
    const std::size_t limit = allowance;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return std::nullopt;
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = uInt(input.size());
    Bytes out;
    std::uint8_t window[kWindow];
    int result = Z_OK;
    while (result == Z_OK && out.size() <= limit) {
        z.next_out = window;
        z.avail_out = kWindow;
        result = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), window, window + (kWindow - z.avail_out));
    }
    inflateEnd(&z);
    allowance -= std::min(out.size(), limit);
    if (result != Z_STREAM_END || out.size() > limit)
        return std::nullopt;
    return out;
}

Bytes DeflateAll(std::span<const std::uint8_t> input, int level)
{
    z_stream z{};
    deflateInit(&z, level);
    z.next_in = const_cast<Bytef*>(input.data());
    z.avail_in = uInt(input.size());
    Bytes out;
    std::uint8_t window[kWindow];
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = window;
        z.avail_out = kWindow;
        result = deflate(&z, Z_FINISH);
        out.insert(out.end(), window, window + (kWindow - z.avail_out));
    }
    deflateEnd(&z);
    return out;
}

}  // namespace tessolo
