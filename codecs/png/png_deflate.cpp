#include "codecs/png/png_deflate.h"

#include "codecs/png/png_deflate_blocks.h"
#include "codecs/png/png_parallel.h"
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
#include <optional>
#include <vector>

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

namespace {

// Zopfli's deflate data of what follows the first `window` bytes of `data`
// (at most its window, the data before), as ZopfliDeflate makes it of one
// master block, from bit 0.
DeflateBits ExhaustivePart(std::span<const std::uint8_t> data, std::size_t window, bool last)
{
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    unsigned char bit = 0;
    std::size_t size = 0;
    unsigned char* buffer = nullptr;  // grown by zopfli
    struct FreeBuffer {
        unsigned char*& buffer;
        ~FreeBuffer() { std::free(buffer); }
    } freeBuffer{buffer};
    ZopfliDeflatePart(&options, 2, last, data.data(), window, data.size(), &bit, &buffer, &size);
    if (!buffer)
        throw std::bad_alloc();
    return {Bytes(buffer, buffer + size), size * 8 - (bit == 0 ? 0 : 8 - bit)};
}

}  // namespace

void AppendBits(DeflateBits& out, const DeflateBits& part, std::optional<std::size_t> alignedFrom)
{
    const std::size_t before = alignedFrom ? *alignedFrom : part.bits;
    const unsigned shift = unsigned(out.bits % 8);
    const std::size_t bytes = (before + 7) / 8;
    if (shift == 0) {
        out.bytes.insert(out.bytes.end(), part.bytes.begin(), part.bytes.begin() + std::ptrdiff_t(bytes));
    } else {
        for (std::size_t i = 0; i < bytes; ++i) {
            out.bytes.back() |= std::uint8_t(part.bytes[i] << shift);
            out.bytes.push_back(std::uint8_t(part.bytes[i] >> (8 - shift)));
        }
    }
    out.bits += before;
    out.bytes.resize((out.bits + 7) / 8);
    if (!alignedFrom)
        return;
    // The bits before the alignment end within byte `bytes` of `part` (its
    // padding zeros); from there on the part is byte for byte the stream.
    if (out.bits % 8 != 0)
        out.bytes.back() &= std::uint8_t((1u << (out.bits % 8)) - 1);
    out.bytes.insert(out.bytes.end(), part.bytes.begin() + std::ptrdiff_t(bytes), part.bytes.end());
    out.bits = out.bytes.size() * 8 - (part.bytes.size() * 8 - part.bits);
}

Bytes DeflateZlibExhaustive(const DeflateInput& data, const Checkpoint& checkpoint)
{
    const std::size_t size = data.Size();
    const std::size_t kPart = kExhaustivePartBytes;
    const std::size_t parts = std::max<std::size_t>(1, (size + kPart - 1) / kPart);
    std::vector<DeflateBits> compressed(parts);
    std::vector<std::uint32_t> adlers(parts);
    RunInParallel(
        parts,
        [&](std::size_t i) {
            const std::size_t begin = i * kPart, end = std::min(size, begin + kPart);
            const std::size_t window = std::min<std::size_t>(begin, ZOPFLI_WINDOW_SIZE);
            const InputBytes bytes = data.Range(begin - window, end);
            compressed[i] = ExhaustivePart(bytes.View(), window, i + 1 == parts);
            adlers[i] = Adler32(bytes.View().subspan(window));
        },
        kPartsAtOnce, checkpoint);
    // The zlib header zopfli writes, the parts' bits, and the checksum.
    DeflateBits stream{{0x78, 0xDA}, 16};
    std::uint32_t adler = 1;
    for (std::size_t i = 0; i < parts; ++i) {
        AppendBits(stream, compressed[i], FirstStoredHeaderEnd(compressed[i]));
        compressed[i] = {};
        const std::size_t bytes = std::min(size, (i + 1) * kPart) - i * kPart;
        adler = std::uint32_t(adler32_combine(adler, adlers[i], z_off_t(bytes)));
    }
    AppendBigEndian32(stream.bytes, adler);
    if (!InflatesToItsChecksum(stream.bytes, size))
        throw Error("Could not compress the image data");
    return MergeDeflateBlocks(stream.bytes, data);
}

}  // namespace tessolo
