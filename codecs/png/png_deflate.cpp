#include "codecs/png/png_deflate.h"

#include "platform/error.h"

#include <libdeflate.h>
#include <zlib.h>
#include <zopfli/zopfli.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>

namespace tessolo {

// The compressors write into buffers of the most they may write, not zeroed:
// of a large one, only the pages the compressed data reaches take memory.

std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler)
{
    return libdeflate_adler32(adler, data.data(), data.size());
}

Bytes DeflateZlib(std::span<const std::uint8_t> data, int level)
{
    struct FreeCompressor {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(libdeflate_alloc_compressor(level));
    if (!compressor)
        throw std::bad_alloc();
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), data.size());
    const auto packed = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    std::size_t size = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), packed.get(), bound);
    if (size == 0)
        throw Error("Could not compress the image data");
    return Bytes(packed.get(), packed.get() + size);
}

Bytes DeflateZlibLazy(const DeflateInput& data, bool filtered)
{
    // The largest window and hash table, for the smallest output.
    z_stream stream{};
    const int strategy = filtered ? Z_FILTERED : Z_DEFAULT_STRATEGY;
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, strategy) != Z_OK)
        throw std::bad_alloc();
    std::unique_ptr<z_stream, decltype(&deflateEnd)> owned(&stream, &deflateEnd);
    const std::size_t size = data.Size();
    const std::size_t bound = deflateBound(&stream, uLong(size));
    const auto packed = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
    // zlib counts in 32 bits: the output goes in steps of at most 1 GiB.
    constexpr std::size_t kStep = std::size_t(1) << 30;
    std::size_t read = 0;
    InputBytes piece(std::span<const std::uint8_t>{});
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.avail_in == 0 && read < size) {
            const std::size_t end = std::min(size, read + kInputPieceBytes);
            piece = data.Range(read, end);
            stream.next_in = const_cast<Bytef*>(piece.View().data());
            stream.avail_in = uInt(end - read);
            read = end;
        }
        stream.next_out = packed.get() + stream.total_out;
        stream.avail_out = uInt(std::min(kStep, bound - stream.total_out));
        result = deflate(&stream, read == size ? Z_FINISH : Z_NO_FLUSH);
    }
    if (result != Z_STREAM_END)
        throw Error("Could not compress the image data");
    return Bytes(packed.get(), packed.get() + stream.total_out);
}

Bytes DeflateZlibExhaustive(std::span<const std::uint8_t> data)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char* out = nullptr;
    std::size_t size = 0;
    ZopfliCompress(&options, ZOPFLI_FORMAT_ZLIB, data.data(), data.size(), &out, &size);
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(out, &std::free);
    if (!out)
        throw std::bad_alloc();
    return Bytes(out, out + size);
}

}  // namespace tessolo
