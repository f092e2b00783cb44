#include "codecs/png/png_deflate.h"

#include "codecs/png/png_stream.h"
#include "platform/error.h"

#include <libdeflate.h>
#include <zlib.h>
#include <zopfli/deflate.h>
#include <zopfli/util.h>
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

Bytes DeflateZlibExhaustive(const DeflateInput& data)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    // The zlib header zopfli writes, then its deflate data as ZopfliDeflate
    // makes it, and the checksum.
    unsigned char* out = nullptr;  // grown by zopfli
    struct FreeOut {
        unsigned char*& out;
        ~FreeOut() { std::free(out); }
    } freeOut{out};
    std::size_t size = 0;
    unsigned char bit = 0;
    const std::size_t total = data.Size();
    std::uint32_t adler = 1;
    std::size_t at = 0;
    do {
        const bool last = at + ZOPFLI_MASTER_BLOCK_SIZE >= total;
        const std::size_t end = last ? total : at + ZOPFLI_MASTER_BLOCK_SIZE;
        const std::size_t window = std::min<std::size_t>(at, ZOPFLI_WINDOW_SIZE);
        const InputBytes bytes = data.Range(at - window, end);
        ZopfliDeflatePart(&options, 2, last, bytes.View().data(), window, window + end - at, &bit, &out, &size);
        adler = Adler32(bytes.View().subspan(window), adler);
        at = end;
    } while (at < total);
    if (!out)
        throw std::bad_alloc();
    Bytes stream = {0x78, 0xDA};
    stream.insert(stream.end(), out, out + size);
    AppendBigEndian32(stream, adler);
    return stream;
}

}  // namespace tessolo
